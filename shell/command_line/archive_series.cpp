#include "archive_series.h"
#include <stdlib.h>
#include "archive_time.h"
#include "heap.h"

static const LONG FIRST_CAPACITY = 32;

// A new archive of the path `folder` (or none) and `name` lead to; null when memory ran out.
static SeriesArchive* AddArchive(ArchiveSeries* series, const char* folder, const char* name)
{
    if (series->count == series->capacity) {
        LONG capacity = series->capacity ? 2 * series->capacity : FIRST_CAPACITY;
        void* grown = HeapResize(series->archives, (DWORD)capacity * sizeof(SeriesArchive));
        if (!grown)
            return NULL;
        series->archives = (SeriesArchive*)grown;
        series->capacity = capacity;
    }
    SeriesArchive* archive = &series->archives[series->count];
    archive->position = series->count++;
    archive->error = 0;
    archive->time.dwLowDateTime = archive->time.dwHighDateTime = 0;
    int length = lstrlenA(folder) + lstrlenA(name) + 1;
    if (length >= MAX_PATH) {
        lstrcpynA(archive->path, name, MAX_PATH);
        archive->error = ERROR_FILENAME_EXCED_RANGE;
    } else if (*folder) {
        BOOL separated = folder[lstrlenA(folder) - 1] == '\\' || folder[lstrlenA(folder) - 1] == '/';
        wsprintfA(archive->path, separated ? "%s%s" : "%s\\%s", folder, name);
    } else {
        lstrcpyA(archive->path, name);
    }
    return archive;
}

// Every *.cbf file of the folder; a folder without one gives an archive of the
// pattern that found nothing.
static DWORD AddFolder(ArchiveSeries* series, const char* folder)
{
    SeriesArchive* pattern = AddArchive(series, folder, "*.cbf");
    if (!pattern)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (pattern->error)
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern->path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        pattern->error = GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND;
        return 0;
    }
    series->count--;    // the pattern found files: they take its place
    DWORD code = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !AddArchive(series, folder, found.cFileName))
            code = ERROR_NOT_ENOUGH_MEMORY;
    } while (code == 0 && FindNextFileA(search, &found));
    FindClose(search);
    return code;
}

static int ByTime(const void* a, const void* b)
{
    const SeriesArchive* first = (const SeriesArchive*)a;
    const SeriesArchive* second = (const SeriesArchive*)b;
    if ((first->error != 0) != (second->error != 0))
        return first->error ? -1 : 1;
    LONG order = first->error ? 0 : CompareFileTime(&first->time, &second->time);
    return order ? order : (first->position < second->position ? -1 : 1);
}

DWORD GatherArchives(ArchiveSeries* series, char** names, int count)
{
    for (int i = 0; i < count; i++) {
        DWORD attributes = GetFileAttributesA(names[i]);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (AddFolder(series, names[i]) != 0)
                return ERROR_NOT_ENOUGH_MEMORY;
        } else if (!AddArchive(series, "", names[i])) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    for (LONG i = 0; i < series->count; i++) {
        SeriesArchive* archive = &series->archives[i];
        if (archive->error == 0)
            archive->error = ReadArchiveTime(archive->path, &archive->time);
    }
    if (series->count > 1)
        qsort(series->archives, (size_t)series->count, sizeof(SeriesArchive), ByTime);
    return 0;
}

void ReleaseArchiveSeries(ArchiveSeries* series)
{
    HeapRelease(series->archives);
    series->archives = NULL;
    series->count = series->capacity = 0;
}

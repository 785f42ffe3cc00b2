#include "history.h"
#include <string.h>
#include "archive_series.h"
#include "backup_reader.h"
#include "body_file.h"
#include "console_output.h"
#include "csv_export.h"
#include "entry_status.h"
#include "json_lines.h"
#include "merge.h"

namespace {

enum HistoryFormat { HISTORY_CSV, HISTORY_JSON_LINES, HISTORY_BODY_FILE, HISTORY_FORMATS };

// The files being written, and the two archives in memory: the older, into which
// the newer is merged, and the newer, which is the older of the next comparison.
struct HistoryRun {
    SafeFile files[HISTORY_FORMATS];
    const char* paths[HISTORY_FORMATS];     // null: not asked for, or not opened
    Listing older;
    Listing newer;
    ArchiveSeries series;
};

BOOL IsStandardOutput(const char* path)
{
    return strcmp(path, "-") == 0;
}

// Opens each file asked for; a file that cannot be is named and left out.
BOOL OpenOutputs(HistoryRun* run, HANDLE output, HANDLE errors)
{
    BOOL opened = TRUE;
    for (int format = 0; format < HISTORY_FORMATS; format++) {
        const char* path = run->paths[format];
        if (!path)
            continue;
        SafeFile* file = &run->files[format];
        if (IsStandardOutput(path)) {
            OpenDirectOutput(file, output, CP_UTF8);
        } else if (OpenSafeFile(file, path) != 0) {
            opened = PrintFailure(errors, "Couldn't write", path, file->error);
            run->paths[format] = NULL;
            continue;
        }
        if (format == HISTORY_CSV)
            PutCsvHeader(file, TRUE);
    }
    return opened;
}

// Every row of the merged older archive that changed, as a row of each file.
void PutChanges(HistoryRun* run, const FILETIME* time)
{
    const Listing* merged = &run->older;
    for (LONG row = 0; row < merged->count; row++) {
        const CacheEntry* entry = EntryAt(merged, row);
        if (!IsChangedStatus(entry->status))
            continue;
        if (run->paths[HISTORY_CSV])
            PutCsvLine(&run->files[HISTORY_CSV], entry, &merged->zone, time);
        if (run->paths[HISTORY_JSON_LINES])
            PutJsonLine(&run->files[HISTORY_JSON_LINES], entry, &merged->zone, time);
        if (run->paths[HISTORY_BODY_FILE])
            PutBodyLine(&run->files[HISTORY_BODY_FILE], entry, &merged->zone);
    }
}

// The newer archive merged into the older as a comparison with a backup file
// does: found again by URL, entries are Updated, Revisited, Changed or
// unchanged; new ones Added, missing ones Deleted.
BOOL CompareArchives(HistoryRun* run, const SeriesArchive* newer, HANDLE errors)
{
    DWORD error = MergeEntries(&run->older, &run->newer, FALSE, FALSE, TRUE);
    if (error)
        return PrintFailure(errors, "Couldn't compare the cache backup file", newer->path, error);
    PutChanges(run, &newer->time);
    return TRUE;
}

// Loads the archives from the oldest and compares each with the one loaded before.
BOOL CompareSeries(HistoryRun* run, HANDLE errors)
{
    BOOL read = TRUE;
    for (LONG i = 0; i < run->series.count; i++) {
        const SeriesArchive* archive = &run->series.archives[i];
        DWORD error = archive->error ? archive->error : LoadBackupFile(archive->path, &run->newer);
        if (error) {
            read = PrintFailure(errors, "Couldn't read the cache backup file", archive->path, error);
            continue;
        }
        if (run->older.records && !CompareArchives(run, archive, errors))
            read = FALSE;
        FreeListing(&run->older);
        run->older = run->newer;
        ZeroMemory(&run->newer, sizeof run->newer);
    }
    return read;
}

}  // namespace

BOOL WriteHistory(const HistoryRequest* request, HANDLE output, HANDLE errors)
{
    static HistoryRun run;
    ZeroMemory(&run, sizeof run);
    run.paths[HISTORY_CSV] = request->csv;
    run.paths[HISTORY_JSON_LINES] = request->jsonLines;
    run.paths[HISTORY_BODY_FILE] = request->bodyFile;
    BOOL done = OpenOutputs(&run, output, errors);
    DWORD error = GatherArchives(&run.series, request->names, request->nameCount);
    if (error)
        done = PrintFailure(errors, "Couldn't list the cache backup files", NULL, error);
    else if (!CompareSeries(&run, errors))
        done = FALSE;
    // Files stay as they were when the archives could not even be listed.
    for (int format = 0; format < HISTORY_FORMATS; format++) {
        const char* path = run.paths[format];
        if (path && error)
            DiscardSafeFile(&run.files[format]);
        else if (path && CommitSafeFile(&run.files[format]) != 0)
            done = PrintFailure(errors, "Couldn't write", IsStandardOutput(path) ? NULL : path,
                                run.files[format].error);
    }
    FreeListing(&run.older);
    FreeListing(&run.newer);
    ReleaseArchiveSeries(&run.series);
    return done;
}

// The cache backup files of a history: those named, and every *.cbf file of the
// folders named, each with the moment it was saved, oldest first.
#ifndef BRINDLEWICK_ARCHIVE_SERIES_H
#define BRINDLEWICK_ARCHIVE_SERIES_H

#include <windows.h>

struct SeriesArchive {
    FILETIME time;          // the moment it was saved (ReadArchiveTime), UTC
    DWORD error;            // 0, or why its time could not be read
    LONG position;          // where it was named or found
    char path[MAX_PATH];    // for a folder without any, the pattern searched
};

struct ArchiveSeries {
    SeriesArchive* archives;
    LONG count;
    LONG capacity;
};

// Adds every archive that `names` name and reads only their times; then orders
// them: those whose time could not be read first, the rest by time, archives of
// the same time as named. Gives 0, or 8 when memory ran out.
DWORD GatherArchives(ArchiveSeries* series, char** names, int count);
void ReleaseArchiveSeries(ArchiveSeries* series);

#endif

// How far a long fill has come, shown in the first part of the status bar while
// the fill runs.
#ifndef BRINDLEWICK_FILL_PROGRESS_H
#define BRINDLEWICK_FILL_PROGRESS_H

#include <windows.h>
#include "listing.h"

// Texts with the count: "Reading cache: 12,000 entries".
#define READING_CACHE "Reading cache"
#define READING_BACKUP_FILE "Reading backup file"

// A FillProgress that writes "<what>: <count> entries" into status bar part 0, at
// most four times a second, painting the status bar at once. Messages are not
// pumped: nothing can run in between.
struct StatusProgress {
    FillProgress progress;  // hand &progress to the fill
    const char* what;
    DWORD shownAt;          // tick count of the last text shown
    BOOL shown;
};

void StartStatusProgress(StatusProgress* status, const char* what);

#endif

// A history of cache backup files: each archive compared with the one saved
// before it, as "Compare with Backup File..." compares one with the cache, and
// every change written as a row with the newer archive's time.
#ifndef BRINDLEWICK_HISTORY_H
#define BRINDLEWICK_HISTORY_H

#include <windows.h>

// What a history reads and writes; a file not asked for is null.
struct HistoryRequest {
    char** names;       // archives and folders of archives
    int nameCount;
    const char* csv;
    const char* jsonLines;
    const char* bodyFile;
};

// Reads the archives' times, then loads them one at a time from the oldest, so
// that no more than two are in memory, and writes the changes between each and
// the one before into every file asked for ("-": `output`). An archive that
// cannot be read is named on `errors` and passed over; the next is compared with
// the one before it. Gives whether everything was read and written.
BOOL WriteHistory(const HistoryRequest* request, HANDLE output, HANDLE errors);

#endif

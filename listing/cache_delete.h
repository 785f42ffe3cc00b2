// Deleting entries from the WinINet cache: the entry and its cached file go, as
// when the browser's own cleaning removes them. Only entries the cache itself
// listed can be deleted; stray files and records read from a backup file cannot.
#ifndef BRINDLEWICK_CACHE_DELETE_H
#define BRINDLEWICK_CACHE_DELETE_H

#include <windows.h>
#include "listing.h"
#include "row_filter.h"

// Characters of the first refused URL kept for the closing message.
const DWORD REFUSED_URL_BYTES = 300;

struct CacheDeleteOutcome {
    LONG deleted;
    LONG skipped;       // strays, backup records and rows already Deleted
    LONG failed;        // entries the cache would not give up (in use, mostly)
    DWORD firstError;   // the system's code for the first failure
    char firstFailure[REFUSED_URL_BYTES];   // its URL, cut to fit
};

// Whether the row names an entry of the cache as it was at the last scan.
BOOL IsDeletableEntry(const CacheEntry* entry);
// Deletes the cache entry of each row the filter shows, or of the row at
// `position` alone when it is not -1; stops between two entries once `stop` is set
// (it may be null). Reads the listing and never changes it: the next scan shows
// what went.
void DeleteCacheEntries(const Listing* listing, const RowFilter* shown, LONG position, volatile LONG* stop,
                        CacheDeleteOutcome* outcome);

// Test seam: the call that deletes one entry.
typedef BOOL (WINAPI *DeleteEntryCall)(LPCSTR url);
extern DeleteEntryCall DeleteCacheEntry;

#endif

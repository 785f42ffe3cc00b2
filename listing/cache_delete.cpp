#include "cache_delete.h"
#include <wininet.h>
#include "entry_status.h"

DeleteEntryCall DeleteCacheEntry = DeleteUrlCacheEntryA;

BOOL IsDeletableEntry(const CacheEntry* entry)
{
    return entry && entry->url && !entry->fromBackup && entry->status != STATUS_DELETED;
}

static void DeleteOne(const CacheEntry* entry, CacheDeleteOutcome* outcome)
{
    if (!IsDeletableEntry(entry)) {
        outcome->skipped++;
        return;
    }
    if (DeleteCacheEntry(entry->url)) {
        outcome->deleted++;
        return;
    }
    DWORD error = GetLastError();
    // Gone since the scan: what the user asked for has happened.
    if (error == ERROR_FILE_NOT_FOUND) {
        outcome->deleted++;
        return;
    }
    if (outcome->failed++ == 0) {
        outcome->firstError = error ? error : ERROR_ACCESS_DENIED;
        lstrcpynA(outcome->firstFailure, entry->url, REFUSED_URL_BYTES);
    }
}

void DeleteCacheEntries(const Listing* listing, const RowFilter* shown, LONG position, volatile LONG* stop,
                        CacheDeleteOutcome* outcome)
{
    ZeroMemory(outcome, sizeof *outcome);
    if (position >= 0) {
        DeleteOne(EntryAt(listing, position), outcome);
        return;
    }
    for (LONG row = 0; row < listing->count && !(stop && *stop); row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (EntryShown(entry, shown))
            DeleteOne(entry, outcome);
    }
}

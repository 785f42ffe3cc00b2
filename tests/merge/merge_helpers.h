// Helpers shared by the merge and compaction tests: listings built by hand.
#ifndef BRINDLEWICK_TEST_MERGE_HELPERS_H
#define BRINDLEWICK_TEST_MERGE_HELPERS_H

#include <string.h>
#include <vector>
#include "listing_builder.h"
#include "entry_index.h"
#include "app_state.h"

inline FILETIME Time(DWORD low)
{
    return {low, 0x01D00000};
}

// Appends an entry whose times and counters are the same in every listing, so
// that the same call on the scan listing makes an unchanged partner.
inline CacheEntry* Add(Listing* listing, const char* url, const char* localFile, const char* header = nullptr)
{
    CacheEntry* entry = AddEntry(listing, url, localFile, header);
    entry->typeFlags = 1;
    entry->size = 1000;
    entry->hitRate = 3;
    entry->useCount = 2;
    entry->exemptDelta = 60;
    entry->lastAccess = Time(100);
    entry->lastModified = Time(200);
    entry->lastSync = Time(300);
    entry->expireTime = Time(400);
    return entry;
}

inline void BuildIndexes(Listing* listing)
{
    DiscardIndex(&listing->byLocalFile);
    DiscardIndex(&listing->byUrl);
    BuildIndex(&listing->byLocalFile, listing);
    BuildIndex(&listing->byUrl, listing);
}

inline std::vector<CacheEntry*> Rows(const Listing* listing)
{
    std::vector<CacheEntry*> rows;
    for (LONG i = 0; i < listing->count; i++)
        rows.push_back(EntryAt(listing, i));
    return rows;
}

inline int SlotsHolding(const EntryIndex& index, const CacheEntry* entry)
{
    int n = 0;
    for (DWORD s = 0; s < index.tableSize; s++)
        n += index.slots[s] == entry;
    return n;
}

// Whether the whole text, NUL included, lies in carved bytes of the pool.
inline bool InPool(Arena* pool, const char* text)
{
    for (ArenaBlock* block = pool ? &pool->first : nullptr; block; block = block->next) {
        const char* start = (const char*)ArenaBlockData(block);
        const char* end = start + (block->capacity - block->remaining);
        if (text >= start && text < end)
            return text + strlen(text) < end;
    }
    return false;
}

// Replaces the pools of a fresh listing by pools in which every record and every
// string takes a block of its own, and so a heap request.
inline void UseTinyBlocks(Listing* listing)
{
    FreeArena(listing->records);
    FreeArena(listing->strings);
    listing->records = CreateArena(1, sizeof(CacheEntry), 1, 1);
    listing->strings = CreateArena(1, 1, 1, 0);
}

// Sets the include options and their copies from the last merge for one test.
struct IncludeOptions {
    IncludeOptions(DWORD strays, DWORD straysAtLast, DWORD cookies, DWORD cookiesAtLast)
    {
        Set(strays, straysAtLast, cookies, cookiesAtLast);
    }
    ~IncludeOptions() { Set(0, 0, 0, 0); }
    static void Set(DWORD strays, DWORD straysAtLast, DWORD cookies, DWORD cookiesAtLast)
    {
        g_app.settings.includeStrays = strays;
        g_app.settings.straysAtLastMerge = straysAtLast;
        g_app.settings.includeCookies = cookies;
        g_app.settings.cookiesAtLastMerge = cookiesAtLast;
    }
};

#endif

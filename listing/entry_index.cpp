#include <string.h>
#include "entry_index.h"
#include "heap.h"

const char* EntryKey(const CacheEntry* entry, IndexKeyField field)
{
    return field == KEY_URL ? entry->url : entry->localFile;
}

DWORD HashKey(const char* key, DWORD tableSize)
{
    DWORD h = 0;
    DWORD shift = 0;
    for (const BYTE* p = (const BYTE*)key; *p; p++) {
        h ^= (DWORD)*p << shift;
        shift = (shift + 8) % 32;
    }
    return h % tableSize;
}

DWORD BuildIndex(EntryIndex* index, const Listing* listing)
{
    DWORD count = listing->count > 0 ? (DWORD)listing->count : 0;
    DWORD tableSize = 5 * count;
    if (tableSize < MIN_INDEX_SLOTS)
        tableSize = MIN_INDEX_SLOTS;
    index->probes = 0;
    index->slots = (CacheEntry**)HeapGet(tableSize * sizeof(CacheEntry*));
    if (!index->slots) {
        index->tableSize = 0;
        return ERROR_CODE_OUT_OF_MEMORY;
    }
    index->tableSize = tableSize;
    ZeroMemory(index->slots, tableSize * sizeof(CacheEntry*));

    for (DWORD row = 0; row < count; row++) {
        CacheEntry* entry = (CacheEntry*)listing->records->pointers[row];
        const char* key = EntryKey(entry, index->keyField);
        if (!key)
            continue;
        DWORD s = HashKey(key, tableSize);
        while (index->slots[s])
            s = (s + 1) % tableSize;
        index->slots[s] = entry;
    }
    return 0;
}

CacheEntry* FindEntryIf(EntryIndex* index, const char* key, EntryFilter accept, const void* context, DWORD* slot)
{
    *slot = NO_SLOT;
    if (index->tableSize == 0 || !key)
        return NULL;
    DWORD s = HashKey(key, index->tableSize);
    DWORD collisions = 0;
    while (index->slots[s]) {
        CacheEntry* entry = index->slots[s];
        // Keys are compared byte for byte: a locale comparison may call two
        // different paths equal, and costs a hundred times more.
        if (strcmp(EntryKey(entry, index->keyField), key) == 0 && (!accept || accept(entry, context)))
            return entry;
        if (++collisions == index->tableSize)
            return NULL;
        s = s + 1 == index->tableSize ? 0 : s + 1;
        index->probes = collisions;
    }
    *slot = s;
    return NULL;
}

CacheEntry* FindEntry(EntryIndex* index, const char* key, DWORD* slot)
{
    return FindEntryIf(index, key, NULL, NULL, slot);
}

void DiscardIndex(EntryIndex* index)
{
    HeapRelease(index->slots);
    index->slots = NULL;
    index->tableSize = 0;
    index->probes = 0;
}

DWORD EnsureIndexBuilt(EntryIndex* index, const Listing* listing)
{
    if (index->tableSize != 0)
        return 0;
    return BuildIndex(index, listing);
}

DWORD LookupForInsert(EntryIndex* index, const Listing* listing, const char* key,
                      EntryFilter accept, const void* context, IndexLookup* lookup)
{
    lookup->rebuilt = FALSE;
    lookup->found = FindEntryIf(index, key, accept, context, &lookup->slot);
    if (lookup->found || !key || index->probes <= REBUILD_PROBES)
        return 0;

    DiscardIndex(index);
    DWORD result = BuildIndex(index, listing);
    if (result != 0)
        return result;
    lookup->rebuilt = TRUE;
    lookup->found = FindEntryIf(index, key, accept, context, &lookup->slot);
    return 0;
}

void EnterAtSlot(EntryIndex* index, DWORD slot, CacheEntry* entry)
{
    if (slot != NO_SLOT && slot < index->tableSize)
        index->slots[slot] = entry;
}

// The table size a build over the listing as it stands would give.
static ULONGLONG BuiltTableSize(const Listing* listing)
{
    ULONGLONG size = 5 * (ULONGLONG)(listing->count > 0 ? listing->count : 0);
    return size < MIN_INDEX_SLOTS ? MIN_INDEX_SLOTS : size;
}

BOOL RebuildGrowsIndex(const EntryIndex* index, const Listing* listing)
{
    ULONGLONG now = index->tableSize;
    return BuiltTableSize(listing) >= now + now / 5;
}

DWORD LookupForAppend(EntryIndex* index, const Listing* listing, const char* key, EntryFilter accept,
                      const void* context, IndexLookup* lookup)
{
    if (index->tableSize != 0 && !RebuildGrowsIndex(index, listing)) {
        lookup->rebuilt = FALSE;
        lookup->found = FindEntryIf(index, key, accept, context, &lookup->slot);
        return 0;
    }
    return LookupForInsert(index, listing, key, accept, context, lookup);
}

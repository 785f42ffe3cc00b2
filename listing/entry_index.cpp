#include <string.h>
#include "entry_index.h"
#include "heap.h"

const char* EntryKey(const CacheEntry* entry, IndexKeyField field)
{
    if (field == KEY_URL)
        return entry->url;
    return entry->localFile && entry->localFile[0] ? entry->localFile : NULL;
}

DWORD KeyHash(const char* key)
{
    DWORD h = 2166136261u;
    for (const BYTE* p = (const BYTE*)key; *p; p++)
        h = (h ^ *p) * 16777619u;
    return h;
}

DWORD HashKey(const char* key, DWORD tableSize)
{
    return KeyHash(key) % tableSize;
}

// Whether the record in a slot holds `key`, whose hash is `hash`.
static BOOL HoldsKey(const EntryIndex* index, const IndexSlot& slot, const char* key, DWORD hash)
{
    // Keys are compared byte for byte: a locale comparison may call two different
    // paths equal, and costs a hundred times more.
    return slot.hash == hash && strcmp(EntryKey(slot.entry, index->keyField), key) == 0;
}

static DWORD NextSlot(const EntryIndex* index, DWORD s)
{
    return s + 1 == index->tableSize ? 0 : s + 1;
}

DWORD BuildIndex(EntryIndex* index, const Listing* listing)
{
    DWORD count = listing->count > 0 ? (DWORD)listing->count : 0;
    DWORD tableSize = 5 * count;
    if (tableSize < MIN_INDEX_SLOTS)
        tableSize = MIN_INDEX_SLOTS;
    index->probes = 0;
    index->sharedKeys = 0;
    index->incomplete = FALSE;
    index->slots = (IndexSlot*)HeapGet(tableSize * sizeof(IndexSlot));
    if (!index->slots) {
        index->tableSize = 0;
        return ERROR_CODE_OUT_OF_MEMORY;
    }
    index->tableSize = tableSize;
    ZeroMemory(index->slots, tableSize * sizeof(IndexSlot));

    for (DWORD row = 0; row < count; row++) {
        CacheEntry* entry = (CacheEntry*)listing->records->pointers[row];
        const char* key = EntryKey(entry, index->keyField);
        if (!key)
            continue;
        DWORD hash = KeyHash(key);
        DWORD s = hash % tableSize;
        BOOL shared = FALSE;
        for (; index->slots[s].entry; s = NextSlot(index, s))
            shared = shared || HoldsKey(index, index->slots[s], key, hash);
        index->slots[s] = {entry, hash};
        index->sharedKeys += shared ? 1 : 0;
    }
    return 0;
}

void ProbeIndex(EntryIndex* index, const char* key, EntryFilter accept, const void* context, IndexLookup* lookup)
{
    lookup->found = NULL;
    lookup->slot = NO_SLOT;
    lookup->hash = 0;
    lookup->keyHeld = FALSE;
    lookup->rebuilt = FALSE;
    if (index->tableSize == 0 || !key)
        return;
    lookup->hash = KeyHash(key);
    DWORD s = lookup->hash % index->tableSize;
    DWORD collisions = 0;
    while (index->slots[s].entry) {
        if (HoldsKey(index, index->slots[s], key, lookup->hash)) {
            if (!accept || accept(index->slots[s].entry, context)) {
                lookup->found = index->slots[s].entry;
                return;
            }
            lookup->keyHeld = TRUE;
        }
        if (++collisions == index->tableSize)
            return;
        s = NextSlot(index, s);
        index->probes = collisions;
    }
    lookup->slot = s;
}

CacheEntry* FindEntryIf(EntryIndex* index, const char* key, EntryFilter accept, const void* context, DWORD* slot)
{
    IndexLookup lookup;
    ProbeIndex(index, key, accept, context, &lookup);
    *slot = lookup.slot;
    return lookup.found;
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
    ProbeIndex(index, key, accept, context, lookup);
    if (lookup->found || !key || index->probes <= REBUILD_PROBES)
        return 0;

    DiscardIndex(index);
    DWORD result = BuildIndex(index, listing);
    if (result != 0)
        return result;
    ProbeIndex(index, key, accept, context, lookup);
    lookup->rebuilt = TRUE;
    return 0;
}

void EnterAtSlot(EntryIndex* index, const IndexLookup* lookup, CacheEntry* entry)
{
    if (!EntryKey(entry, index->keyField))
        return;
    if (lookup->slot == NO_SLOT || lookup->slot >= index->tableSize) {
        index->incomplete = TRUE;
        return;
    }
    index->slots[lookup->slot] = {entry, lookup->hash};
    index->sharedKeys += lookup->keyHeld ? 1 : 0;
}

// The slot of the first record on the probe sequence of `key` that holds it and
// is `entry`, or any record when `entry` is null; NO_SLOT when there is none.
static DWORD SlotHolding(const EntryIndex* index, const char* key, DWORD hash, const CacheEntry* entry)
{
    DWORD s = hash % index->tableSize;
    for (DWORD passed = 0; index->slots[s].entry && passed < index->tableSize; passed++, s = NextSlot(index, s))
        if ((!entry || index->slots[s].entry == entry) && HoldsKey(index, index->slots[s], key, hash))
            return s;
    return NO_SLOT;
}

void RemoveFromIndex(EntryIndex* index, const CacheEntry* entry)
{
    const char* key = EntryKey(entry, index->keyField);
    DWORD size = index->tableSize;
    if (!key || size == 0)
        return;
    DWORD hash = KeyHash(key);
    DWORD hole = SlotHolding(index, key, hash, entry);
    if (hole == NO_SLOT)
        return;
    // A record behind the gap moves into it unless its probe sequence starts after
    // the gap, at or before the record's own slot.
    DWORD next = NextSlot(index, hole);
    for (DWORD passed = 1; index->slots[next].entry && passed < size; next = NextSlot(index, next), passed++) {
        DWORD home = index->slots[next].hash % size;
        BOOL staysPut = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (!staysPut) {
            index->slots[hole] = index->slots[next];
            hole = next;
        }
    }
    index->slots[hole] = {NULL, 0};
    if (index->sharedKeys > 0 && SlotHolding(index, key, hash, NULL) != NO_SLOT)
        index->sharedKeys--;
}

BOOL KeysUnique(const EntryIndex* index)
{
    return index->tableSize != 0 && index->sharedKeys == 0 && !index->incomplete;
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
        ProbeIndex(index, key, accept, context, lookup);
        return 0;
    }
    return LookupForInsert(index, listing, key, accept, context, lookup);
}

// Open-addressing hash tables over a listing's records, keyed on the local file or the URL.
#ifndef BRINDLEWICK_ENTRY_INDEX_H
#define BRINDLEWICK_ENTRY_INDEX_H

#include "listing.h"

// What the slot output of a lookup holds when it offers no free slot.
const DWORD NO_SLOT = 0xDEADBEEF;
// A lookup that missed after passing more than this many other records asks for a rebuild.
const DWORD REBUILD_PROBES = 12;
const DWORD MIN_INDEX_SLOTS = 793;

// Further condition a record with the right key must meet to count as found.
typedef BOOL (*EntryFilter)(const CacheEntry* candidate, const void* context);

// The text a record is indexed under, or null when it has none and stays out of
// the index. An empty local-file text is none: cache entries without a file share
// it, and no lookup by local file should pair them.
const char* EntryKey(const CacheEntry* entry, IndexKeyField field);
// The 32-bit hash a key is stored and looked up under (FNV-1a: texts that differ
// in a character or two spread over the whole table).
DWORD KeyHash(const char* key);
// The slot a key's probe sequence starts at.
DWORD HashKey(const char* key, DWORD tableSize);
DWORD BuildIndex(EntryIndex* index, const Listing* listing);
CacheEntry* FindEntry(EntryIndex* index, const char* key, DWORD* slot);
// FindEntry that passes over records with the key which `accept` refuses, counting
// them as collisions like records with other keys.
CacheEntry* FindEntryIf(EntryIndex* index, const char* key, EntryFilter accept, const void* context, DWORD* slot);
void DiscardIndex(EntryIndex* index);

// Builds an index that has no slot array (never built, or its build ran out of
// memory), so that lookups do not miss everything. Gives 0 or 8.
DWORD EnsureIndexBuilt(EntryIndex* index, const Listing* listing);

// Outcome of a lookup made before putting a record under a key.
struct IndexLookup {
    CacheEntry* found;      // the record that holds the key, or null
    DWORD slot;             // on a miss, the free slot to enter the record at, or NO_SLOT
    DWORD hash;             // KeyHash of the key
    BOOL keyHeld;           // on a miss, a record the filter refused holds the key
    BOOL rebuilt;           // the index was rebuilt over the listing's current rows
};

// The plain probe: FindEntryIf with every outcome of the lookup. It never
// rebuilds the index, however long the run it passes.
void ProbeIndex(EntryIndex* index, const char* key, EntryFilter accept, const void* context, IndexLookup* lookup);
// The lookup half of inserting after a miss: when the lookup misses after passing
// more than REBUILD_PROBES other records, the index is rebuilt over the listing's
// current rows and the lookup repeated, once; a key that still collides that much
// takes the free slot of the repeated lookup. Gives 0, or 8 when the rebuild failed.
DWORD LookupForInsert(EntryIndex* index, const Listing* listing, const char* key,
                      EntryFilter accept, const void* context, IndexLookup* lookup);
// Enters a record with the key just looked up at the slot the lookup offered; a
// record that gets no slot is missing from the index from then on.
void EnterAtSlot(EntryIndex* index, const IndexLookup* lookup, CacheEntry* entry);
// Takes a record out of the slot it holds under its present key and moves the
// records behind it back into the gap: the index is then as if the record had
// never been entered, and records that share a key keep their order.
void RemoveFromIndex(EntryIndex* index, const CacheEntry* entry);
// Whether every record that holds a key is in the index, alone with that key: the
// record with a given key is then the one any lookup for it finds, whatever order
// the index was filled in.
BOOL KeysUnique(const EntryIndex* index);

// Whether a rebuild now would give the index at least a fifth more slots than it
// has. Rebuilt at about its present size, an index lays its records out about as
// before: keys that differ only in a digit or two ("name[1].htm", "name[2].htm")
// hash to neighbouring slots whatever the table size, so a long probe run that
// asked for the rebuild is still there afterwards.
BOOL RebuildGrowsIndex(const EntryIndex* index, const Listing* listing);
// LookupForInsert for an operation that keeps appending records to the listing (a
// merge, a stray scan): the rebuild for a long miss is made only when it grows the
// index by a fifth, so that such an operation rebuilds a few times as the listing
// grows instead of once per record that lands in a crowded run.
DWORD LookupForAppend(EntryIndex* index, const Listing* listing, const char* key, EntryFilter accept,
                      const void* context, IndexLookup* lookup);

#endif

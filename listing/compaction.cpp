// Rebuilding a listing without its Deleted entries, in pools sized to what it
// holds. The new listing is built on the side and replaces the old one only when
// it is complete, so that running out of memory leaves the old one untouched.
#include "compaction.h"
#include "entry_index.h"
#include "entry_status.h"

static const DWORD SPARE_RECORDS = 50;
static const DWORD RECORD_GROWTH = 50;
static const DWORD RECORD_POINTER_STEP = 100;
static const DWORD STRING_BLOCK = 32736;

// Fills `compact` with copies of the live entries of `listing`, in row order.
static DWORD CopyLiveEntries(Listing* compact, const Listing* listing)
{
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry->status != STATUS_DELETED && !AppendEntryCopy(compact, entry))
            return ERROR_CODE_OUT_OF_MEMORY;
    }
    return 0;
}

DWORD CompactListing(Listing* listing)
{
    Listing compact = {};
    compact.clusterSize = listing->clusterSize;
    compact.zone = listing->zone;
    DWORD oldCount = listing->count > 0 ? (DWORD)listing->count : 0;
    compact.records = CreateArena(oldCount + SPARE_RECORDS, sizeof(CacheEntry), RECORD_GROWTH, RECORD_POINTER_STEP);
    if (!compact.records)
        return ERROR_CODE_OUT_OF_MEMORY;
    // Every live string was carved from the old pool, and a text overwritten in
    // place never outgrows the bytes carved for it: one block of the bytes in use
    // holds them all. An empty pool still gets a block of 4 bytes.
    compact.strings = CreateArena(1, ArenaBytesInUse(listing->strings), STRING_BLOCK, 0);
    if (!compact.strings || CopyLiveEntries(&compact, listing) != 0) {
        FreeListing(&compact);
        return ERROR_CODE_OUT_OF_MEMORY;
    }

    FreeListing(listing);
    *listing = compact;
    listing->byLocalFile = {NULL, 0, 0, KEY_LOCAL_FILE, 0, FALSE};
    listing->byUrl = {NULL, 0, 0, KEY_URL, 0, FALSE};
    // A build without memory leaves its index empty; the merge builds it before use.
    BuildIndex(&listing->byLocalFile, listing);
    BuildIndex(&listing->byUrl, listing);
    return 0;
}

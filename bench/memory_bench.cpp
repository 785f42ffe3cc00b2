// What a listing costs in memory against the bytes of its records and strings.
#include <string>
#include "bench_groups.h"
#include "results.h"
#include "sample_listing.h"

static double ArenaHeapBytes(const Arena* arena)
{
    if (!arena)
        return 0;
    double bytes = sizeof(Arena) + arena->first.capacity + (double)arena->pointerCapacity * sizeof(void*);
    for (const ArenaBlock* block = arena->first.next; block; block = block->next)
        bytes += sizeof(ArenaBlock) + block->capacity;
    return bytes;
}

double ListingHeapBytes(const Listing* listing)
{
    return ArenaHeapBytes(listing->records) + ArenaHeapBytes(listing->strings) +
           (double)(listing->byLocalFile.tableSize + listing->byUrl.tableSize) * sizeof(CacheEntry*);
}

static void AddMemoryRow(const std::string& what, int n, const Listing* listing)
{
    double heap = ListingHeapBytes(listing);
    double payload = PayloadBytes(listing);
    double indexes = (double)(listing->byLocalFile.tableSize + listing->byUrl.tableSize) * sizeof(CacheEntry*);
    ResultRow row;
    row.operation = what;
    row.n = n;
    row.min = row.median = Bytes(heap);
    row.baseline = "its records and strings (index slots: " + Bytes(indexes) + ")";
    row.baselineMin = row.baselineMedian = Bytes(payload);
    row.ratio = Times(heap / payload);
    Judge(&row, "≤ 1.50×", heap <= 1.5 * payload);
    AddRow(row);
}

void BenchMemory(int n)
{
    EntryMaker maker = NewEntryMaker(4242 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    Listing listing = {};
    FillListing(&listing, MakeEntries(&maker, n));
    BuildIndexes(&listing);
    AddMemoryRow("Listing memory (arenas, pointer array, both indexes)", n, &listing);
    FreeListing(&listing);
}

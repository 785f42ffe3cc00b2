// Building both indexes against hashing every key once.
#include "bench_groups.h"
#include "entry_index.h"
#include "results.h"
#include "sample_listing.h"

void BenchIndex(int n)
{
    EntryMaker maker = NewEntryMaker(1000 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    Listing listing = {};
    FillListing(&listing, MakeEntries(&maker, n));

    Timed build = {
        [&] {
            DiscardIndex(&listing.byLocalFile);
            DiscardIndex(&listing.byUrl);
        },
        [&] {
            BuildIndex(&listing.byLocalFile, &listing);
            BuildIndex(&listing.byUrl, &listing);
        },
        nullptr};
    volatile DWORD sink = 0;
    Timed hashOnly = {nullptr,
                      [&] {
                          DWORD tableSize = 5 * (DWORD)listing.count < MIN_INDEX_SLOTS ? MIN_INDEX_SLOTS
                                                                                       : 5 * (DWORD)listing.count;
                          DWORD sum = 0;
                          for (LONG row = 0; row < listing.count; row++) {
                              const CacheEntry* entry = EntryAt(&listing, row);
                              sum += HashKey(entry->localFile, tableSize) + HashKey(entry->url, tableSize);
                          }
                          sink = sum;
                      },
                      nullptr};
    Stats buildStats, hashStats;
    MeasurePair(BENCH_RUNS, build, hashOnly, &buildStats, &hashStats);
    AddRow(TimedRow("BuildIndex, byLocalFile and byUrl", n, buildStats, "hashing every key once (HashKey)", hashStats));
    FreeListing(&listing);
}

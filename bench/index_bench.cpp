// Building both indexes against hashing every key once.
#include "bench.h"
#include "entry_index.h"
#include "results.h"

void BenchIndex(const Sample& sample)
{
    Listing listing = {};
    FillListing(&listing, sample.entries);
    Timed build = {nullptr,
                   [&] {
                       DiscardIndex(&listing.byLocalFile);
                       DiscardIndex(&listing.byUrl);
                       BuildIndex(&listing.byLocalFile, &listing);
                       BuildIndex(&listing.byUrl, &listing);
                   },
                   nullptr};
    volatile DWORD sink = 0;
    Timed hashOnly = {nullptr,
                      [&] {
                          DWORD sum = 0;
                          for (LONG row = 0; row < listing.count; row++) {
                              const CacheEntry* entry = EntryAt(&listing, row);
                              sum += KeyHash(entry->localFile) + KeyHash(entry->url);
                          }
                          sink = sum;
                      },
                      nullptr};
    Stats buildStats, hashStats;
    MeasurePair(build, hashOnly, &buildStats, &hashStats);
    AddRow(TimedRow("BuildIndex, byLocalFile and byUrl", sample.label, listing.count, buildStats,
                    "hashing every key once (KeyHash)", hashStats));
    FreeListing(&listing);
}

// ScanCache of the seeded WinINet cache against a bare enumeration of the same
// cache, the platform's floor.
#include <windows.h>
#include <wininet.h>
#include <vector>
#include "bench_groups.h"
#include "cache_scan.h"
#include "results.h"
#include "sample_listing.h"
#include "seeded_cache.h"

void BenchScan(int n)
{
    if (!EnsureSeededCache(n)) {
        AddNote("ScanCache: the cache could not be seeded; not measured.");
        return;
    }
    AddNote("ScanCache and the bare enumeration spend their time in WinINet's calls, which under Wine are "
            "round trips to the wineserver: their absolute times vary several-fold from run to run (an idle "
            "machine wakes its cores later), so only ratios within one run compare.");
    Listing listing = {};
    LONG scanned = 0;
    double memory = 0, payload = 0;
    Timed scan = {nullptr, [&] { ScanCache(&listing, TRUE, GetDiskFreeSpaceExA); },
                  [&] {
                      scanned = listing.count;
                      memory = ListingHeapBytes(&listing);
                      payload = PayloadBytes(&listing);
                      FreeListing(&listing);
                  }};
    volatile int enumerated = 0;
    Timed bare = {nullptr, [&] { enumerated = CountCacheEntries(); }, nullptr};
    // One untimed pass of each first: the cache file is then mapped and warm for both.
    scan.work();
    scan.cleanup();
    bare.work();
    Stats scanStats, bareStats;
    MeasurePair(BENCH_RUNS, scan, bare, &scanStats, &bareStats);
    AddRow(TimedRow("ScanCache, seeded cache (cookies included)", scanned, scanStats,
                    "bare FindFirst/FindNextUrlCacheEntryA loop", bareStats, 1.1));

    ResultRow row;
    row.operation = "Listing memory after the scan (no indexes yet)";
    row.n = scanned;
    row.min = row.median = Bytes(memory);
    row.baseline = "its records and strings";
    row.baselineMin = row.baselineMedian = Bytes(payload);
    row.ratio = Times(memory / payload);
    AddRow(row);
}

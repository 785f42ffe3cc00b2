// ScanCache of the seeded WinINet cache against a bare enumeration of the same
// cache, the platform's floor.
#include <windows.h>
#include <wininet.h>
#include <vector>
#include "app_state.h"
#include "bench_groups.h"
#include "cache_scan.h"
#include "results.h"
#include "sample_listing.h"
#include "seeded_cache.h"

// Enumerates every entry as ScanCache does (one buffer, enlarged only when an entry
// does not fit) and does nothing with them; gives how many there were.
static int BareEnumeration()
{
    DWORD size = SCAN_BUFFER_START;
    std::vector<BYTE> buffer(size);
    HANDLE find = NULL;
    int count = 0;
    for (;;) {
        DWORD reported = size;
        auto* info = (INTERNET_CACHE_ENTRY_INFOA*)buffer.data();
        info->dwStructSize = size;
        BOOL ok = find ? FindNextUrlCacheEntryA(find, info, &reported)
                       : (find = FindFirstUrlCacheEntryA(NULL, info, &reported)) != NULL;
        if (ok) {
            count++;
            continue;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || reported <= size)
            break;
        size = reported;
        buffer.assign(size, 0);
    }
    if (find)
        FindCloseUrlCache(find);
    return count;
}

void BenchScan(int n)
{
    if (!EnsureSeededCache(n)) {
        AddNote("ScanCache: the cache could not be seeded; not measured.");
        return;
    }
    AddNote("ScanCache and the bare enumeration spend their time in WinINet's calls, which under Wine are "
            "round trips to the wineserver: their absolute times vary several-fold from run to run (an idle "
            "machine wakes its cores later), so only ratios within one run compare.");
    g_app.settings.includeCookies = 1;
    Listing listing = {};
    LONG scanned = 0;
    double memory = 0, payload = 0;
    Timed scan = {nullptr, [&] { ScanCache(&listing); },
                  [&] {
                      scanned = listing.count;
                      memory = ListingHeapBytes(&listing);
                      payload = PayloadBytes(&listing);
                      FreeListing(&listing);
                  }};
    volatile int enumerated = 0;
    Timed bare = {nullptr, [&] { enumerated = BareEnumeration(); }, nullptr};
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

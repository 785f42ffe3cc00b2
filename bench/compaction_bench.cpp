// Compacting the main listing after a merge that left 10% of it Deleted, against
// copying its live records and strings once.
#include <string.h>
#include <vector>
#include "bench_groups.h"
#include "compaction.h"
#include "entry_index.h"
#include "entry_status.h"
#include "merge.h"
#include "results.h"
#include "sample_listing.h"

// Copies every live record and its three strings into `target`; gives the bytes copied.
static size_t CopyLive(const Listing* listing, BYTE* target)
{
    BYTE* next = target;
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry->status == STATUS_DELETED)
            continue;
        memcpy(next, entry, sizeof(CacheEntry));
        next += sizeof(CacheEntry);
        for (const char* text : {entry->url, entry->localFile, entry->headerText}) {
            if (!text)
                continue;
            size_t bytes = strlen(text) + 1;
            memcpy(next, text, bytes);
            next += bytes;
        }
    }
    return next - target;
}

void BenchCompaction(int n)
{
    EntryMaker maker = NewEntryMaker(3000 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    std::vector<EntrySpec> earlier = MakeEntries(&maker, n);
    Listing scan = {};
    FillListing(&scan, FollowingScan(&maker, earlier, ChangeMix{100, 0, 0, 0}));
    Listing main = {};
    auto mergeTenPercentDeleted = [&] {
        FreeListing(&main);
        FillListing(&main, earlier);
        BuildIndexes(&main);
        MergeEntries(&main, &scan, FALSE, FALSE);
    };

    mergeTenPercentDeleted();
    std::vector<BYTE> copy(ArenaBytesInUse(main.strings) + (size_t)main.count * sizeof(CacheEntry));
    Timed compact = {mergeTenPercentDeleted, [&] { CompactListing(&main); }, nullptr};
    Timed plainCopy = {nullptr, [&] { CopyLive(&main, copy.data()); }, nullptr};
    // The copy reads the listing as the merge left it, before compaction.
    Timed copyFirst = {mergeTenPercentDeleted, plainCopy.work, nullptr};
    Stats compactStats, copyStats;
    MeasurePair(BENCH_RUNS, copyFirst, compact, &copyStats, &compactStats);
    AddRow(TimedRow("CompactListing after a merge with 10% deleted", n, compactStats,
                    "copying its live records and strings once", copyStats));
    FreeListing(&main);
    FreeListing(&scan);
}

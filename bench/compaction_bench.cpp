// Compacting the main listing after a merge that left 10% of it Deleted, against
// copying its live records and strings once.
#include <string.h>
#include <vector>
#include "bench.h"
#include "compaction.h"
#include "entry_index.h"
#include "entry_status.h"
#include "merge.h"
#include "results.h"

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

void BenchCompaction(const Sample& sample)
{
    EntryMaker maker = sample.maker;
    const std::vector<EntrySpec>& earlier = sample.entries;
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
    // Both read the listing as the merge left it; compaction only once per timing.
    Timed compact = {[&](int) { mergeTenPercentDeleted(); }, [&] { CompactListing(&main); }, nullptr, 1};
    Timed plainCopy = {[&](int) { mergeTenPercentDeleted(); }, [&] { CopyLive(&main, copy.data()); }, nullptr};
    Stats compactStats, copyStats;
    MeasurePair(compact, plainCopy, &compactStats, &copyStats);
    AddRow(TimedRow("CompactListing after a merge with 10% deleted", sample.label, main.count, compactStats,
                    "copying its live records and strings once", copyStats));
    FreeListing(&main);
    FreeListing(&scan);
}

// Merging a following scan into the main listing, against one index pass over the
// same scan, with the index rebuilds the merge's lookups asked for.
#include <map>
#include <string>
#include "bench_groups.h"
#include "entry_index.h"
#include "heap.h"
#include "merge.h"
#include "results.h"
#include "sample_listing.h"

namespace {

// Merge time per scan entry in microseconds, by case and size, for the growth row.
std::map<std::string, std::map<int, double>> perEntry;

int BlockCount(const Arena* arena)
{
    int blocks = 0;
    for (const ArenaBlock* block = arena ? &arena->first : NULL; block; block = block->next)
        blocks++;
    return blocks;
}

// The heap requests of a merge that are neither new blocks of the two pools nor a
// larger pointer array are index builds.
struct HeapPicture {
    int recordBlocks;
    int stringBlocks;
    DWORD pointerCapacity;
};

HeapPicture Picture(const Listing* listing)
{
    return {BlockCount(listing->records), BlockCount(listing->strings), listing->records->pointerCapacity};
}

struct RebuildCount {
    int builds;             // index builds during the merge
    bool closingRebuild;    // byLocalFile rebuilt at the end for entries that moved
};

RebuildCount CountBuilds(const Listing* main, const HeapPicture& before, LONG requests)
{
    HeapPicture after = Picture(main);
    int pointerGrowths = (int)((after.pointerCapacity - before.pointerCapacity) / main->records->pointerStep);
    RebuildCount count;
    count.builds = (int)requests - (after.recordBlocks - before.recordBlocks) -
                   (after.stringBlocks - before.stringBlocks) - pointerGrowths;
    // The closing rebuild sizes the table from the final count; a rebuild during the
    // lookups, with an entry appended after it, from a smaller one.
    DWORD finalSize = 5 * (DWORD)main->count < MIN_INDEX_SLOTS ? MIN_INDEX_SLOTS : 5 * (DWORD)main->count;
    count.closingRebuild = main->byLocalFile.tableSize == finalSize && count.builds > 0;
    return count;
}

void BenchMergeCase(int n, const char* name, const ChangeMix& mix, double targetRatio)
{
    EntryMaker maker = NewEntryMaker(2000 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    std::vector<EntrySpec> earlier = MakeEntries(&maker, n);
    std::vector<EntrySpec> following = FollowingScan(&maker, earlier, mix);
    Listing scan = {};
    FillListing(&scan, following);
    Listing main = {};

    HeapPicture before = {};
    RebuildCount rebuilds = {};
    Timed merge = {
        [&] {
            FreeListing(&main);
            FillListing(&main, earlier);
            BuildIndexes(&main);
            before = Picture(&main);
            ResetHeapRequestCount();
        },
        [&] { MergeEntries(&main, &scan, FALSE, FALSE); },
        [&] { rebuilds = CountBuilds(&main, before, HeapRequestCount()); }};
    Timed indexPass = {[&] { DiscardIndex(&scan.byLocalFile); },
                       [&] { BuildIndex(&scan.byLocalFile, &scan); },
                       nullptr};
    Stats mergeStats, indexStats;
    MeasurePair(BENCH_RUNS, merge, indexPass, &mergeStats, &indexStats);

    std::string operation = std::string("MergeEntries, ") + name;
    AddRow(TimedRow(operation, n, mergeStats, "BuildIndex of one index over the same scan", indexStats, targetRatio));

    double microseconds = mergeStats.median * 1000.0 / scan.count;
    perEntry[name][n] = microseconds;
    ResultRow row;
    row.operation = std::string("  per scan entry; index builds in the merge: ") + std::to_string(rebuilds.builds) +
                    " (" + std::to_string(rebuilds.builds - (rebuilds.closingRebuild ? 1 : 0)) +
                    " probe-triggered" + (rebuilds.closingRebuild ? ", 1 closing rebuild of byLocalFile" : "") + ")";
    row.n = n;
    row.min = Us(mergeStats.min * 1000.0 / scan.count);
    row.median = Us(microseconds);
    auto smaller = perEntry[name].begin();
    if (smaller->first < n) {
        double growth = microseconds / smaller->second;
        row.baseline = "per scan entry at N = " + std::to_string(smaller->first);
        row.baselineMedian = Us(smaller->second);
        row.ratio = Times(growth);
        if (targetRatio > 0)
            Judge(&row, "≤ 1.50×", growth <= 1.5);
    }
    AddRow(row);
    FreeListing(&main);
    FreeListing(&scan);
}

}  // namespace

void BenchMerge(int n)
{
    if (perEntry.empty())
        AddNote("Index builds during a merge are the heap requests it makes besides new pool blocks and larger "
                "pointer arrays; the closing rebuild of byLocalFile follows entries that moved.");
    BenchMergeCase(n, "2% added, 2% deleted, 5% revisited, 1% moved", ChangeMix{20, 50, 10, 20}, 3.0);
    BenchMergeCase(n, "30% new entries (and 30% gone)", ChangeMix{300, 0, 0, 300}, 0);
}

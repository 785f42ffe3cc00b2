// Merging a following scan into the main listing, against one index pass over the
// same scan, and how the time per scan entry grows with the listing against how
// the index pass's grows.
#include <map>
#include <string>
#include "bench.h"
#include "entry_index.h"
#include "merge.h"
#include "results.h"

namespace {

// Merges at most this many prepared main listings in one timing.
const int MAX_PREPARED = 16;

struct PerEntry {
    int n;
    double merge;       // µs per scan entry, minimum
    double floor;
};
// The smallest sample's times per scan entry, by case.
std::map<std::string, PerEntry> smallest;

void AddGrowthRow(const std::string& name, const Sample& sample, const PerEntry& now, bool judged)
{
    auto first = smallest.find(name);
    if (first == smallest.end() || now.n < first->second.n) {
        smallest[name] = now;
        return;
    }
    const PerEntry& base = first->second;
    double mergeGrowth = now.merge / base.merge, floorGrowth = now.floor / base.floor;
    ResultRow row;
    row.operation = "  MergeEntries per scan entry, " + name + ": its growth from " + SizeLabel(base.n) +
                    " entries (" + Us(base.merge) + ")";
    row.sample = sample.label;
    row.n = (int)sample.entries.size();
    row.min = Us(now.merge) + ", " + Times(mergeGrowth);
    row.baseline = "the index pass's growth (" + Us(base.floor) + " to " + Us(now.floor) + ")";
    row.baselineMin = Times(floorGrowth);
    row.ratio = Times(mergeGrowth / floorGrowth);
    if (judged)
        Judge(&row, TARGET_MERGE_GROWTH, mergeGrowth / floorGrowth, row.ratio, mergeGrowth <= 1.2 * floorGrowth);
    AddRow(row);
}

void BenchMergeCase(const Sample& sample, const std::vector<EntrySpec>& entries, const char* name, const ChangeMix& mix,
                    bool judged)
{
    EntryMaker maker = sample.maker;
    Listing scan = {};
    FillListing(&scan, FollowingScan(&maker, entries, mix));
    std::vector<Listing> mains(MAX_PREPARED);
    int next = 0;
    auto freeMains = [&] {
        for (Listing& main : mains)
            FreeListing(&main);
    };
    Timed merge = {[&](int repeat) {
                       freeMains();
                       for (int i = 0; i < repeat; i++) {
                           FillListing(&mains[i], entries);
                           BuildIndexes(&mains[i]);
                       }
                       next = 0;
                   },
                   [&] { MergeEntries(&mains[next++], &scan, FALSE, FALSE); }, freeMains, MAX_PREPARED};
    Timed indexPass = {nullptr,
                       [&] {
                           DiscardIndex(&scan.byLocalFile);
                           BuildIndex(&scan.byLocalFile, &scan);
                       },
                       nullptr};
    Stats mergeStats, indexStats;
    MeasurePair(merge, indexPass, &mergeStats, &indexStats);
    AddRow(TimedRow(std::string("MergeEntries, ") + name, sample.label, scan.count, mergeStats,
                    "BuildIndex of one index over the same scan", indexStats, judged ? TARGET_MERGE : NO_TARGET,
                    3.0));
    PerEntry perEntry = {(int)entries.size(), mergeStats.min * 1000.0 / scan.count,
                         indexStats.min * 1000.0 / scan.count};
    AddGrowthRow(name, sample, perEntry, judged);
    FreeListing(&scan);
}

}  // namespace

void BenchMerge(const Sample& sample)
{
    AddNote("Following scans keep the earlier entries' order, with new entries in between, as WinINet enumerates "
            "from scan to scan; the merge looks for each scan entry's partner at its place in the previous scan "
            "first. Every merge goes into a freshly filled main listing with both indexes built; quick merges "
            "go into several such listings, one after the other, in one timing.");
    const ChangeMix everyday = {20, 50, 10, 20};
    BenchMergeCase(sample, sample.entries, "2% added, 2% deleted, 5% revisited, 1% moved", everyday, true);
    BenchMergeCase(sample, sample.entries, "30% new entries (and 30% gone)", ChangeMix{300, 0, 0, 300}, false);
    // Cache entries without a local file all hold the empty text.
    BenchMergeCase(sample, SomeWithoutFiles(sample.entries, 20), "the same changes, 5% without a local file", everyday,
                   false);
}

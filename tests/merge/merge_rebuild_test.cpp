// Index rebuilds during a merge: a long probe run rebuilds an index only when the
// rebuild gives it more room.
#include <gtest/gtest.h>
#include <string>
#include "entry_index.h"
#include "entry_status.h"
#include "heap.h"
#include "listing_builder.h"
#include "merge.h"

namespace {

void AddColliding(Listing* listing, const std::vector<std::string>& keys, int first, int count)
{
    for (int i = first; i < first + count; i++)
        AddEntry(listing, ("http://h/" + std::to_string(i)).c_str(), keys[i].c_str());
}

}  // namespace

TEST(IndexRebuild, OnlyARebuildThatGrowsTheTableByAFifthIsWorthMaking)
{
    struct Case { int built; int now; BOOL grows; } cases[] = {
        {200, 239, FALSE}, {200, 240, TRUE},    // 1,000 slots: worth it from 1,200
        {20, 190, FALSE}, {20, 191, TRUE},      // the 793-slot floor: from 952
        {0, 0, FALSE},
    };
    std::vector<std::string> keys = CollidingKeys(240, MIN_INDEX_SLOTS, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.built) + " -> " + std::to_string(c.now));
        TestListing listing;
        AddColliding(listing.get(), keys, 0, c.built);
        ASSERT_EQ(BuildIndex(&listing->byUrl, listing.get()), 0u);
        AddColliding(listing.get(), keys, c.built, c.now - c.built);
        EXPECT_EQ(RebuildGrowsIndex(&listing->byUrl, listing.get()), c.grows);
    }
}

// Thirty new entries whose local files all land in one long run of the main index:
// each misses after passing more than twelve records, and a rebuild at the same
// table size would leave the run as it was, so none is made; every entry is still
// found afterwards.
TEST(IndexRebuild, NewEntriesInACrowdedRunDoNotRebuildTheIndexEachTime)
{
    std::vector<std::string> keys = CollidingKeys(50, MIN_INDEX_SLOTS, 792);
    TestListing main, scan;
    AddColliding(main.get(), keys, 0, 20);
    AddColliding(scan.get(), keys, 20, 30);
    ASSERT_EQ(BuildIndex(&main->byLocalFile, main.get()), 0u);
    ASSERT_EQ(BuildIndex(&main->byUrl, main.get()), 0u);

    ResetHeapRequestCount();
    ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
    EXPECT_EQ(HeapRequestCount(), 1);       // the previous scan's order; no index build
    ASSERT_EQ(main->count, 50);
    for (int i = 0; i < 50; i++) {
        DWORD slot;
        CacheEntry* found = FindEntry(&main->byLocalFile, keys[i].c_str(), &slot);
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(found->status, i < 20 ? STATUS_DELETED : STATUS_ADDED) << i;
    }
}

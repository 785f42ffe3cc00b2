#include <gtest/gtest.h>
#include <string>
#include "entry_index.h"
#include "listing_builder.h"
#include "heap.h"

TEST(EntryIndex, HashKeyXorsBytesWithRotatingShift)
{
    EXPECT_EQ(HashKey("abc", 793), 340u);               // 0x636261 % 793
    EXPECT_EQ(HashKey("", 793), 0u);
    EXPECT_EQ(HashKey("abcda", 0xFFFFFFFF), 0x64636261u ^ 0x61u);
    EXPECT_EQ(HashKey("\xFF", 1000), 255u);             // bytes are unsigned
}

TEST(EntryIndex, TableSizeIsFiveSlotsPerRecordWithFloorOf793)
{
    for (int records : {0, 158, 200}) {
        TestListing listing;
        for (int i = 0; i < records; i++)
            AddEntry(listing.get(), ("u" + std::to_string(i)).c_str(), nullptr);
        EntryIndex index = {nullptr, 0, 5, KEY_URL};
        ASSERT_EQ(BuildIndex(&index, listing.get()), 0u);
        EXPECT_EQ(index.tableSize, records == 200 ? 1000u : 793u) << records;
        EXPECT_EQ(index.probes, 0u);
        DWORD used = 0;
        for (DWORD s = 0; s < index.tableSize; s++)
            used += index.slots[s] != nullptr;
        EXPECT_EQ(used, (DWORD)records);
        DiscardIndex(&index);
    }
}

TEST(EntryIndex, LookupsAreExactAndFirstOfEqualKeysWins)
{
    TestListing listing;
    CacheEntry* first = AddEntry(listing.get(), "http://a/", "C:\\c\\x");
    AddEntry(listing.get(), "http://a/", "C:\\c\\y");
    AddEntry(listing.get(), nullptr, "");
    ASSERT_EQ(BuildIndex(&listing->byUrl, listing.get()), 0u);
    ASSERT_EQ(BuildIndex(&listing->byLocalFile, listing.get()), 0u);
    DWORD slot;
    EXPECT_EQ(FindEntry(&listing->byUrl, "http://a/", &slot), first);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(FindEntry(&listing->byUrl, "HTTP://A/", &slot), nullptr);
    EXPECT_NE(slot, NO_SLOT);
    EXPECT_NE(FindEntry(&listing->byLocalFile, "", &slot), nullptr);   // the empty text is a key
    EXPECT_EQ(FindEntry(&listing->byLocalFile, "C:\\C\\X", &slot), nullptr);

    listing->byUrl.probes = 7;
    EXPECT_EQ(FindEntry(&listing->byUrl, nullptr, &slot), nullptr);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(listing->byUrl.probes, 7u);
    EntryIndex empty = {nullptr, 0, 9, KEY_URL};
    EXPECT_EQ(FindEntry(&empty, "http://a/", &slot), nullptr);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(empty.probes, 9u);
}

// "q" followed by n groups of eight 0x01 bytes: every group XORs each shift twice,
// so all these keys hash like "q" and pile up on one probe sequence.
static std::string CollidingKey(int n)
{
    std::string key = "q";
    for (int i = 0; i < n; i++)
        key += "\x01\x01\x01\x01\x01\x01\x01\x01";
    return key;
}

TEST(EntryIndex, ProbesCountCollisionsAndFullTableOffersNoSlot)
{
    TestListing listing;
    for (int i = 0; i < 793; i++)
        AddEntry(listing.get(), ("u" + std::to_string(i)).c_str(), nullptr);
    EntryIndex full = {nullptr, 0, 0, KEY_URL};
    full.slots = (CacheEntry**)HeapGet(793 * sizeof(CacheEntry*));
    full.tableSize = 793;
    for (int i = 0; i < 793; i++)
        full.slots[i] = EntryAt(listing.get(), i);
    DWORD slot;
    EXPECT_EQ(FindEntry(&full, "missing", &slot), nullptr);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(full.probes, 792u);
    DiscardIndex(&full);

    TestListing chain;
    for (int i = 0; i < 14; i++)
        AddEntry(chain.get(), nullptr, CollidingKey(i).c_str());
    ASSERT_EQ(BuildIndex(&chain->byLocalFile, chain.get()), 0u);
    EXPECT_EQ(FindEntry(&chain->byLocalFile, CollidingKey(14).c_str(), &slot), nullptr);
    EXPECT_EQ(chain->byLocalFile.probes, 14u);  // passed 14 other records
    EXPECT_EQ(slot, (HashKey("q", 793) + 14) % 793);
    // A hit on the first probe leaves probes as the previous lookup left it.
    EXPECT_EQ(FindEntry(&chain->byLocalFile, "q", &slot), EntryAt(chain.get(), 0));
    EXPECT_EQ(chain->byLocalFile.probes, 14u);
}

TEST(EntryIndex, InsertAfterMissRebuildsWhenCollisionsPile)
{
    TestListing listing;
    for (int i = 0; i < 14; i++)
        AddEntry(listing.get(), nullptr, CollidingKey(i).c_str());
    ASSERT_EQ(BuildIndex(&listing->byLocalFile, listing.get()), 0u);

    // A record appended without entering it is found by the rebuild that a miss
    // over 14 other records triggers.
    CacheEntry* appended = AddEntry(listing.get(), nullptr, CollidingKey(14).c_str());
    IndexLookup lookup;
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), CollidingKey(14).c_str(), nullptr, nullptr,
                              &lookup), 0u);
    EXPECT_TRUE(lookup.rebuilt);
    EXPECT_EQ(lookup.found, appended);

    // A plain miss offers its slot, and a record entered there is found.
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), "new", nullptr, nullptr, &lookup), 0u);
    ASSERT_NE(lookup.slot, NO_SLOT);
    CacheEntry* fresh = AddEntry(listing.get(), nullptr, "new");
    EnterAtSlot(&listing->byLocalFile, lookup.slot, fresh);
    DWORD slot;
    EXPECT_EQ(FindEntry(&listing->byLocalFile, "new", &slot), fresh);

    // A rebuild without memory gives 8 and an empty index, which EnsureIndexBuilt mends.
    HeapFailureGuard guard;
    FailHeapAfter(0);
    EXPECT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), CollidingKey(15).c_str(), nullptr, nullptr,
                              &lookup), 8u);
    EXPECT_EQ(listing->byLocalFile.tableSize, 0u);
    FailHeapAfter(-1);
    EXPECT_EQ(EnsureIndexBuilt(&listing->byLocalFile, listing.get()), 0u);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, "new", &slot), fresh);
}

TEST(EntryIndex, RepeatedCollisionAfterRebuildTakesTheFreeSlot)
{
    TestListing listing;
    for (int i = 0; i < 20; i++)
        AddEntry(listing.get(), nullptr, CollidingKey(i).c_str());
    ASSERT_EQ(BuildIndex(&listing->byLocalFile, listing.get()), 0u);
    IndexLookup lookup;
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), CollidingKey(20).c_str(), nullptr, nullptr,
                              &lookup), 0u);
    EXPECT_TRUE(lookup.rebuilt);                // once, and then it goes on with the free slot
    EXPECT_EQ(lookup.found, nullptr);
    EXPECT_EQ(lookup.slot, (HashKey("q", 793) + 20) % 793);
    EXPECT_EQ(listing->byLocalFile.probes, 20u);
}

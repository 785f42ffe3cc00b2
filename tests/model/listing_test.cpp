#include <gtest/gtest.h>
#include <string.h>
#include "listing.h"
#include "listing_builder.h"
#include "heap.h"

TEST(Listing, InitGivesEmptyPoolsAndKeepsClusterSize)
{
    Listing listing = {};
    listing.clusterSize = 4096;
    listing.error = 5;
    ASSERT_TRUE(InitListing(&listing));
    EXPECT_EQ(listing.clusterSize, 4096u);
    EXPECT_EQ(listing.error, 0u);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.records->first.capacity, 50u * sizeof(CacheEntry));
    EXPECT_EQ(listing.records->pointerCapacity, 150u);
    EXPECT_EQ(listing.strings->first.capacity, 65504u);
    EXPECT_EQ(listing.strings->blockSize, 65504u);
    EXPECT_EQ(listing.strings->pointers, nullptr);
    EXPECT_EQ(listing.byLocalFile.keyField, KEY_LOCAL_FILE);
    EXPECT_EQ(listing.byUrl.keyField, KEY_URL);
    EXPECT_EQ(sizeof(CacheEntry), 76u);

    listing.strayCount = 3;
    listing.flags = 1;
    listing.error = 13;
    FreeListing(&listing);
    EXPECT_EQ(listing.records, nullptr);
    EXPECT_EQ(listing.strings, nullptr);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.error, 13u);
    EXPECT_EQ(listing.clusterSize, 4096u);
    EXPECT_EQ(listing.strayCount, 3);
    EXPECT_EQ(listing.flags, 1u);
    EXPECT_EQ(EntryAt(&listing, 0), nullptr);
}

TEST(Listing, InitWithoutMemoryLeavesNothingAndError8)
{
    HeapFailureGuard guard;
    for (LONG k = 0; k < 3; k++) {
        Listing listing = {};
        FailHeapAfter(k);
        EXPECT_FALSE(InitListing(&listing)) << k;
        EXPECT_EQ(listing.error, 8u);
        EXPECT_EQ(listing.records, nullptr);
        EXPECT_EQ(listing.strings, nullptr);
    }
}

TEST(Listing, CopyStringUsesLengthPlusOne)
{
    TestListing listing;
    DWORD before = ArenaBytesInUse(listing->strings);
    char* empty = CopyString(listing.get(), "");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    char* word = CopyString(listing.get(), "cache");
    EXPECT_EQ(word, empty + 1);
    EXPECT_EQ(ArenaBytesInUse(listing->strings) - before, 7u);
}

TEST(Listing, HeaderTextIsCutAt256AndFlattened)
{
    TestListing listing;
    struct Case { size_t length; const char* ending; size_t stored; } cases[] = {
        {255, "", 255}, {256, "...", 259}, {300, "...", 259},
    };
    for (const Case& c : cases) {
        std::string text(c.length, 'h');
        char* copy = CopyHeaderText(listing.get(), text.c_str(), (DWORD)text.size());
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(strlen(copy), c.stored) << c.length;
        EXPECT_STREQ(copy + std::min<size_t>(c.length, 256), c.ending) << c.length;
    }
    EXPECT_STREQ(CopyHeaderText(listing.get(), "A\r\nB\rC", 6), "A  B C");
}

TEST(Listing, DroppedRecordLeavesNoRowAndItsPlaceIsReused)
{
    TestListing listing;
    AddEntry(listing.get(), "u0", "f0");
    CacheEntry* half = NewEntry(listing.get());
    ASSERT_NE(half, nullptr);
    DropNewEntry(listing.get());
    EXPECT_EQ(listing->records->pointerCount, 1u);
    EXPECT_EQ(listing->records->pointers[1], nullptr);
    CacheEntry* next = AddEntry(listing.get(), "u1", "f1");
    EXPECT_EQ(next, half);
    EXPECT_EQ(EntryAt(listing.get(), 1), next);
    EXPECT_EQ(EntryAt(listing.get(), 2), nullptr);
    EXPECT_EQ(EntryAt(listing.get(), -1), nullptr);
}

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include "listing.h"
#include "listing_builder.h"
#include "heap.h"

static DWORD Blocks(const Arena* arena)
{
    DWORD blocks = 0;
    for (const ArenaBlock* block = &arena->first; block; block = block->next)
        blocks++;
    return blocks;
}

TEST(Arena, CarvesBackToBackAndNeverReturnsToAnAbandonedRest)
{
    Arena* arena = CreateArena(1, 100, 64, 0);
    BYTE* a = (BYTE*)ArenaAlloc(arena, 30);
    EXPECT_EQ((BYTE*)ArenaAlloc(arena, 30), a + 30);
    BYTE* c = (BYTE*)ArenaAlloc(arena, 50);         // 40 left: a new 64-byte block
    EXPECT_EQ(c, ArenaBlockData(arena->current));
    EXPECT_EQ((BYTE*)ArenaAlloc(arena, 10), c + 50);  // not into the old rest
    ArenaAlloc(arena, 1000);                        // oversized: a block of exactly that
    EXPECT_EQ(arena->current->capacity, 1000u);
    ArenaAlloc(arena, 1);
    EXPECT_EQ(arena->current->capacity, 64u);
    EXPECT_EQ(Blocks(arena), 4u);
    EXPECT_EQ(ArenaBytesInUse(arena), 1121u);
    FreeArena(arena);

    arena = CreateArena(0, 76, 500, 0);             // zero products: 4-byte blocks
    EXPECT_EQ(arena->first.capacity, 4u);
    EXPECT_EQ(arena->blockSize, 4u);
    FreeArena(arena);
}

TEST(Arena, RecordPoolGrowsBlocksAndPointerArrayWithNullTail)
{
    Arena* pool = CreateArena(50, sizeof(CacheEntry), 500, 100);
    for (int i = 0; i < 50; i++)
        ArenaAlloc(pool, sizeof(CacheEntry));
    EXPECT_EQ(Blocks(pool), 1u);
    for (int i = 50; i < 151; i++)
        ArenaAlloc(pool, sizeof(CacheEntry));
    EXPECT_EQ(Blocks(pool), 2u);
    EXPECT_EQ(pool->current->capacity, 50u * 500u);
    EXPECT_EQ(pool->pointerCapacity, 250u);
    for (int i = 151; i < 250; i++)
        ASSERT_EQ(pool->pointers[i], nullptr) << i;
    EXPECT_EQ((BYTE*)pool->pointers[1], (BYTE*)pool->pointers[0] + sizeof(CacheEntry));
    FreeArena(pool);
}

TEST(Arena, FailedRequestsLeaveEverythingUsable)
{
    HeapFailureGuard guard;
    Arena* pool = CreateArena(2, 8, 8, 1);          // 16 bytes, 3 pointers
    ArenaAlloc(pool, 8);
    ArenaAlloc(pool, 8);
    FailHeapAfter(0);                               // no new block
    EXPECT_EQ(ArenaAlloc(pool, 8), nullptr);
    EXPECT_EQ(pool->pointerCount, 2u);
    FailHeapAfter(-1);
    ArenaAlloc(pool, 8);                            // pointer array now full
    DWORD remaining = pool->current->remaining;
    FailHeapAfter(0);                               // the array cannot grow: nothing carved
    EXPECT_EQ(ArenaAlloc(pool, 4), nullptr);
    EXPECT_EQ(pool->current->remaining, remaining);
    FailHeapAfter(-1);
    EXPECT_NE(ArenaAlloc(pool, 4), nullptr);
    EXPECT_EQ(pool->pointerCount, 4u);
    FreeArena(pool);
    EXPECT_EQ(ArenaAlloc(nullptr, 4), nullptr);

    for (LONG k = 0; k < 3; k++) {
        Listing listing = {};
        FailHeapAfter(k);
        EXPECT_FALSE(InitListing(&listing)) << k;
        EXPECT_EQ(listing.error, 8u);
        EXPECT_EQ(listing.records, nullptr);
        EXPECT_EQ(listing.strings, nullptr);
    }
}

TEST(Listing, FreeKeepsErrorClusterSizeStrayCountAndFlags)
{
    Listing listing = {};
    listing.clusterSize = 4096;
    ASSERT_TRUE(InitListing(&listing));
    EXPECT_EQ(listing.clusterSize, 4096u);
    EXPECT_EQ(listing.records->pointerCapacity, 150u);
    EXPECT_EQ(listing.strings->first.capacity, 65504u);
    EXPECT_EQ(sizeof(CacheEntry), 76u);
    AddEntry(&listing, "u", "f");
    listing.strayCount = 3;
    listing.flags = 1;
    listing.error = 13;
    FreeListing(&listing);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.records, nullptr);
    EXPECT_EQ(EntryAt(&listing, 0), nullptr);
    EXPECT_EQ(listing.error + listing.clusterSize + listing.strayCount + listing.flags, 13u + 4096u + 3u + 1u);
}

TEST(Listing, StringsHeadersAndDroppedRecords)
{
    TestListing listing;
    DWORD before = ArenaBytesInUse(listing->strings);
    char* empty = CopyString(listing.get(), "");
    EXPECT_EQ(CopyString(listing.get(), "cache"), empty + 1);
    EXPECT_EQ(ArenaBytesInUse(listing->strings) - before, 7u);

    for (size_t length : {255, 256, 300}) {
        std::string text(length, 'h');
        std::string expected = length < 256 ? text : text.substr(0, 256) + "...";
        EXPECT_EQ(CopyHeaderText(listing.get(), text.c_str(), (DWORD)length), expected) << length;
    }
    EXPECT_STREQ(CopyHeaderText(listing.get(), "A\r\nB\rC", 6), "A  B C");

    // A record whose strings could not be copied leaves no row, and its place is reused.
    AddEntry(listing.get(), "u0", "f0");
    CacheEntry* half = NewEntry(listing.get());
    DropNewEntry(listing.get());
    EXPECT_EQ(listing->records->pointers[1], nullptr);
    EXPECT_EQ(AddEntry(listing.get(), "u1", "f1"), half);
    EXPECT_EQ(EntryAt(listing.get(), 1), half);
    EXPECT_EQ(EntryAt(listing.get(), -1), nullptr);
}

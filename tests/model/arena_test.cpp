#include <gtest/gtest.h>
#include "listing.h"
#include "listing_builder.h"
#include "heap.h"

static DWORD BlockCount(const Arena* arena)
{
    DWORD blocks = 0;
    for (const ArenaBlock* block = &arena->first; block; block = block->next)
        blocks++;
    return blocks;
}

TEST(Arena, CarvesBackToBackAndOpensBlocksOfBlockSize)
{
    Arena* arena = CreateArena(1, 100, 64, 0);
    ASSERT_NE(arena, nullptr);
    EXPECT_EQ(arena->first.capacity, 100u);
    EXPECT_EQ(arena->blockSize, 64u);
    BYTE* a = (BYTE*)ArenaAlloc(arena, 30);
    BYTE* b = (BYTE*)ArenaAlloc(arena, 30);
    EXPECT_EQ(b, a + 30);

    // 50 does not fit in the 40 left: a new block, and the rest is never carved,
    // not even by a small request that would have fitted there.
    BYTE* c = (BYTE*)ArenaAlloc(arena, 50);
    EXPECT_EQ(BlockCount(arena), 2u);
    EXPECT_EQ(arena->current->capacity, 64u);
    EXPECT_EQ(c, ArenaBlockData(arena->current));
    BYTE* d = (BYTE*)ArenaAlloc(arena, 10);
    EXPECT_EQ(d, c + 50);

    // Larger than blockSize: a block of exactly that size; the next one is blockSize again.
    ArenaAlloc(arena, 1000);
    EXPECT_EQ(arena->current->capacity, 1000u);
    EXPECT_EQ(arena->current->remaining, 0u);
    ArenaAlloc(arena, 1);
    EXPECT_EQ(arena->current->capacity, 64u);
    EXPECT_EQ(ArenaBytesInUse(arena), 30u + 30u + 60u + 1000u + 1u);
    FreeArena(arena);
}

TEST(Arena, ZeroProductsGiveFourByteBlocks)
{
    Arena* arena = CreateArena(0, 76, 500, 0);
    ASSERT_NE(arena, nullptr);
    EXPECT_EQ(arena->first.capacity, 4u);
    EXPECT_EQ(arena->blockSize, 4u);
    FreeArena(arena);
}

TEST(Arena, RecordPoolOpensSecondBlockAt51stAndGrowsPointersAt151st)
{
    Arena* pool = CreateArena(50, sizeof(CacheEntry), 500, 100);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->pointerCapacity, 150u);
    for (int i = 0; i < 50; i++)
        ArenaAlloc(pool, sizeof(CacheEntry));
    EXPECT_EQ(BlockCount(pool), 1u);
    ArenaAlloc(pool, sizeof(CacheEntry));
    EXPECT_EQ(BlockCount(pool), 2u);
    EXPECT_EQ(pool->current->capacity, 50u * 500u);
    for (int i = 51; i < 151; i++)
        ArenaAlloc(pool, sizeof(CacheEntry));
    EXPECT_EQ(pool->pointerCapacity, 250u);
    EXPECT_EQ(pool->pointerCount, 151u);
    for (int i = 151; i < 250; i++)
        EXPECT_EQ(pool->pointers[i], nullptr) << i;
    // Pointers are in creation order and the records lie back to back.
    EXPECT_EQ((BYTE*)pool->pointers[1], (BYTE*)pool->pointers[0] + sizeof(CacheEntry));
    FreeArena(pool);
}

TEST(Arena, FailedRequestsLeaveTheArenaUsable)
{
    HeapFailureGuard guard;
    Arena* pool = CreateArena(2, 8, 8, 1);      // 16 bytes, 3 pointers
    ASSERT_NE(pool, nullptr);
    ArenaAlloc(pool, 8);
    ArenaAlloc(pool, 8);
    FailHeapAfter(0);                           // no new block
    EXPECT_EQ(ArenaAlloc(pool, 8), nullptr);
    EXPECT_EQ(pool->pointerCount, 2u);
    EXPECT_EQ(pool->pointers[2], nullptr);
    EXPECT_EQ(pool->current, &pool->first);
    FailHeapAfter(-1);
    ASSERT_NE(ArenaAlloc(pool, 8), nullptr);    // pointer array now full
    ArenaBlock* current = pool->current;
    DWORD remaining = current->remaining;
    FailHeapAfter(0);                           // the pointer array cannot grow
    EXPECT_EQ(ArenaAlloc(pool, 4), nullptr);
    EXPECT_EQ(pool->pointerCapacity, 3u);
    EXPECT_EQ(current->remaining, remaining);   // nothing carved
    FailHeapAfter(-1);
    EXPECT_NE(ArenaAlloc(pool, 4), nullptr);
    EXPECT_EQ(pool->pointerCount, 4u);
    EXPECT_EQ(pool->pointerCapacity, 4u);
    FreeArena(pool);

    for (LONG k = 0; k < 2; k++) {
        FailHeapAfter(k);
        EXPECT_EQ(CreateArena(10, 10, 10, 5), nullptr) << k;
    }
    FailHeapAfter(-1);
    EXPECT_EQ(ArenaAlloc(nullptr, 4), nullptr);
}

// The chunked arena behind a listing's records and strings.
#include "listing.h"
#include "heap.h"

// Largest single block or pointer array the arena asks for; a request beyond it
// could only come from a size computation that wrapped.
static const ULONGLONG ARENA_LIMIT = 0x7FFF0000;

BYTE* ArenaBlockData(ArenaBlock* block)
{
    return (BYTE*)(block + 1);
}

Arena* CreateArena(DWORD count, DWORD elementSize, DWORD growth, DWORD pointerStep)
{
    ULONGLONG firstBytes = (ULONGLONG)count * elementSize;
    ULONGLONG laterBytes = (ULONGLONG)count * growth;
    ULONGLONG pointerEntries = (ULONGLONG)count + pointerStep;
    if (firstBytes == 0)
        firstBytes = 4;
    if (laterBytes == 0)
        laterBytes = 4;
    if (firstBytes > ARENA_LIMIT || laterBytes > ARENA_LIMIT || pointerEntries * sizeof(void*) > ARENA_LIMIT)
        return NULL;

    Arena* arena = (Arena*)HeapGet(sizeof(Arena) + (DWORD)firstBytes);
    if (!arena)
        return NULL;
    arena->current = &arena->first;
    arena->pointers = NULL;
    arena->blockSize = (DWORD)laterBytes;
    arena->pointerCount = 0;
    arena->pointerCapacity = 0;
    arena->pointerStep = pointerStep;
    arena->first.next = NULL;
    arena->first.capacity = (DWORD)firstBytes;
    arena->first.remaining = (DWORD)firstBytes;

    if (pointerStep != 0) {
        DWORD entries = (DWORD)pointerEntries;
        arena->pointers = (void**)HeapGet(entries * sizeof(void*));
        if (!arena->pointers) {
            HeapRelease(arena);
            return NULL;
        }
        ZeroMemory(arena->pointers, entries * sizeof(void*));
        arena->pointerCapacity = entries;
    }
    return arena;
}

// Makes room for one more pointer; the new entries read as null.
static BOOL GrowPointerArray(Arena* arena)
{
    ULONGLONG entries = (ULONGLONG)arena->pointerCapacity + arena->pointerStep;
    if (entries * sizeof(void*) > ARENA_LIMIT)
        return FALSE;
    void** grown = (void**)HeapResize(arena->pointers, (DWORD)entries * sizeof(void*));
    if (!grown)
        return FALSE;
    ZeroMemory(grown + arena->pointerCapacity, arena->pointerStep * sizeof(void*));
    arena->pointers = grown;
    arena->pointerCapacity = (DWORD)entries;
    return TRUE;
}

void* ArenaAlloc(Arena* arena, DWORD bytes)
{
    if (!arena)
        return NULL;
    // The pointer array grows before anything is carved, so that a failure leaves
    // the blocks exactly as they were.
    if (arena->pointerStep != 0 && arena->pointerCount >= arena->pointerCapacity && !GrowPointerArray(arena))
        return NULL;

    ArenaBlock* block = arena->current;
    if (block->remaining < bytes) {
        DWORD capacity = bytes > arena->blockSize ? bytes : arena->blockSize;
        if ((ULONGLONG)capacity + sizeof(ArenaBlock) > ARENA_LIMIT)
            return NULL;
        ArenaBlock* fresh = (ArenaBlock*)HeapGet(sizeof(ArenaBlock) + capacity);
        if (!fresh)
            return NULL;
        fresh->next = NULL;
        fresh->capacity = capacity;
        fresh->remaining = capacity;
        block->next = fresh;
        arena->current = fresh;
        block = fresh;
    }
    void* result = ArenaBlockData(block) + (block->capacity - block->remaining);
    block->remaining -= bytes;
    if (arena->pointerStep != 0)
        arena->pointers[arena->pointerCount++] = result;
    return result;
}

void FreeArena(Arena* arena)
{
    if (!arena)
        return;
    HeapRelease(arena->pointers);
    ArenaBlock* block = arena->first.next;
    while (block) {
        ArenaBlock* next = block->next;
        HeapRelease(block);
        block = next;
    }
    HeapRelease(arena);
}

DWORD ArenaBytesInUse(const Arena* arena)
{
    DWORD total = 0;
    for (const ArenaBlock* block = arena ? &arena->first : NULL; block; block = block->next)
        total += block->capacity - block->remaining;
    return total;
}

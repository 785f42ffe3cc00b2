#include "heap.h"

static LONG g_successesLeft = -1;
static LONG g_requests = 0;
static BOOL g_poison = FALSE;
static DWORD g_largest = 0;

static BOOL RequestAllowed(DWORD bytes)
{
    g_requests++;
    if (bytes > g_largest)
        g_largest = bytes;
    if (g_successesLeft < 0)
        return TRUE;
    if (g_successesLeft == 0)
        return FALSE;
    g_successesLeft--;
    return TRUE;
}

void* HeapGet(DWORD bytes)
{
    if (!RequestAllowed(bytes))
        return NULL;
    return HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
}

void* HeapResize(void* block, DWORD bytes)
{
    if (!block)
        return HeapGet(bytes);
    if (!RequestAllowed(bytes))
        return NULL;
    return HeapReAlloc(GetProcessHeap(), 0, block, bytes ? bytes : 1);
}

void HeapRelease(void* block)
{
    if (!block)
        return;
    if (g_poison) {
        SIZE_T size = HeapSize(GetProcessHeap(), 0, block);
        if (size != (SIZE_T)-1)
            FillMemory(block, size, 0xDD);
    }
    HeapFree(GetProcessHeap(), 0, block);
}

void FailHeapAfter(LONG successes) { g_successesLeft = successes; }
LONG HeapRequestCount() { return g_requests; }
void ResetHeapRequestCount()
{
    g_requests = 0;
    g_largest = 0;
}
DWORD LargestHeapRequest() { return g_largest; }
void PoisonReleasedHeap(BOOL on) { g_poison = on; }

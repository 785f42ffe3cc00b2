// The one door through which the listing and file code takes heap memory, so that
// tests can make the k-th request fail and reach every out-of-memory path.
#ifndef BRINDLEWICK_HEAP_H
#define BRINDLEWICK_HEAP_H

#include <windows.h>

void* HeapGet(DWORD bytes);
// Resizes a block; on failure gives null and leaves the old block as it was.
void* HeapResize(void* block, DWORD bytes);
void HeapRelease(void* block);

// Test seam: after `successes` more successful requests, every request fails.
// A negative value turns failures off again.
void FailHeapAfter(LONG successes);
// Test seam: number of requests (successful or not) since the last reset.
LONG HeapRequestCount();
void ResetHeapRequestCount();
// Test seam: the largest size asked for by one request since the last
// ResetHeapRequestCount, whether or not it was granted.
DWORD LargestHeapRequest();
// Test seam: released blocks are overwritten with 0xDD first, so that a dangling
// reference reads garbage instead of the old text.
void PoisonReleasedHeap(BOOL on);

#endif

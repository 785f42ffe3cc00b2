// The groups of measurements; each adds its rows to the results table.
#ifndef BRINDLEWICK_BENCH_GROUPS_H
#define BRINDLEWICK_BENCH_GROUPS_H

#include <windows.h>
#include "listing.h"

// ScanCache of the seeded cache against the bare enumeration; also gives the
// scan's median, which the window group compares with.
void BenchScan(int n);
void BenchIndex(int n);
void BenchMerge(int n);
void BenchCompaction(int n);
void BenchSort(int n);
void BenchStrays(int n);
void BenchBackup(int n);
void BenchReport(int n);
void BenchMemory(int n);
// Start-up to a painted window and the rescan, against the scan alone: with the
// seeded cache of `scanN` entries, and with listings of every size in `sizes`
// prepared in memory.
void BenchWindow(int scanN, const int* sizes, int sizeCount);

// Bytes a listing holds from the heap: both arenas with every block, the pointer
// array and the slots of both indexes.
double ListingHeapBytes(const Listing* listing);

#endif

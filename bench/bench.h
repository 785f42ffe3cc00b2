// The groups of measurements; each runs on one sample of entries and adds its rows
// to the results table.
#ifndef BRINDLEWICK_BENCH_H
#define BRINDLEWICK_BENCH_H

#include "sample_listing.h"

void BenchIndex(const Sample& sample);
void BenchMerge(const Sample& sample);
void BenchCompaction(const Sample& sample);
void BenchSort(const Sample& sample);
void BenchStrays(const Sample& sample);
void BenchBackup(const Sample& sample);
void BenchReport(const Sample& sample);
void BenchCacheBackup(const Sample& sample);
void BenchMemory(const Sample& sample);
void BenchHistory(const Sample& sample);
// End to end on the main window: with the prefix's cache for a real sample, with a
// listing prepared in memory for a made-up one; `rounds` rounds each (a round on
// the real cache of 60,000 entries takes minutes under emulation).
void BenchWindow(const Sample& sample);
// Typing in the filter bar over a listing prepared in memory.
void BenchFilter(const Sample& sample);
void SetWindowRounds(int rounds);

// Writes a backup file of the entries; each record is followed by its entry's size
// divided by `contentDivisor` in content bytes (0: no content, every size 0).
bool WriteBackupFile(const std::string& path, const std::vector<EntrySpec>& entries, DWORD contentDivisor,
                     ULONGLONG* fileBytes);

// The memory benchmark's child process: fills one listing (or none, for the
// baseline) and writes what the process holds. Gives the exit code.
int RunMemoryChild(const char* kind, int count, const char* outputPath);
// Runs a memory child of `kind` and `count` and gives what its process holds after
// the work; false when it could not be run.
bool MeasureMemoryChild(const std::string& kind, int count, double* privateBytes, double* peakWorkingSet);
// The work of the memory child "history": /history over the first `archives` files
// of the benchmark's series.
void RunHistorySeries(int archives);

#endif

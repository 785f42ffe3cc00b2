// The prefix's real WinINet cache, seeded once with entries of realistic shape and
// kept for later runs, since seeding costs milliseconds an entry.
#ifndef BRINDLEWICK_BENCH_SEEDED_CACHE_H
#define BRINDLEWICK_BENCH_SEEDED_CACHE_H

// Where the benchmark keeps its files inside the prefix.
const char* const BENCH_DATA_FOLDER = "C:\\bench-data";

// Makes sure the cache holds the `count` seeded entries (about 3% cookies); seeds
// them afresh, replacing whatever the cache held, unless an earlier run did.
// Gives false when WinINet refused too many of them.
bool EnsureSeededCache(int count);

// Between two rescans: 1% of the seeded entries change. Half of them are revisited
// (a later access time, one more hit); a quarter vanish and a quarter are new,
// taken alternately from two groups of spare URLs so that the cache keeps its size.
void ChangeOnePercent(int count, int round);

// The number of entries a bare enumeration of the cache meets: the enumeration as
// ScanCache makes it (one buffer, enlarged only when an entry does not fit), with
// nothing done with the entries. The platform's floor for a scan.
int CountCacheEntries();

#endif

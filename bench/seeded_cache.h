// The prefix's real WinINet cache, seeded once with small entries of realistic
// shape and kept for later runs, since seeding costs milliseconds an entry.
#ifndef BRINDLEWICK_BENCH_SEEDED_CACHE_H
#define BRINDLEWICK_BENCH_SEEDED_CACHE_H

// Where the benchmark keeps its files inside the prefix.
const char* const BENCH_DATA_FOLDER = "C:\\bench-data";

// Makes sure the cache holds the `count` seeded entries (about 3% cookies); seeds
// them afresh, replacing whatever the cache held, unless an earlier run did. Gives
// false when a bare enumeration afterwards meets fewer than 99% of them.
//
// Wine keeps a container's index in one file of at most 126,336 blocks of 128
// bytes, and an entry takes the blocks its URL, file name and header need: with
// a response header of a few hundred bytes (four blocks) about 31,600 entries fit,
// and later commits scavenge earlier entries. The seeded entries therefore carry
// a short header and a URL short enough for two blocks, as the entries of a cache
// that holds 60,000 must, and small content files, which keep the cache's size
// limit (127 MB) far away.
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

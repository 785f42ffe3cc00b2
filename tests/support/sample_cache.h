// Realistic sample entries for the real WinINet cache: pages, images, scripts and
// style sheets of a few sites, with varied sizes, times, counters and headers, and
// a few cookies. Used by the screenshot tests and the demo run.
#ifndef BRINDLEWICK_TEST_SAMPLE_CACHE_H
#define BRINDLEWICK_TEST_SAMPLE_CACHE_H

#include <windows.h>

// Seeds `count` entries (every twentieth a cookie) whose last access times lie
// in the weeks before `newest` (UTC). The same arguments give the same entries.
// Gives the number of entries WinINet took.
int SeedSampleCache(int count, FILETIME newest);

#endif

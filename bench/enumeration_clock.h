// A clock on WinINet's enumeration calls in this process. Under Wine each call is
// a round trip to the wineserver whose time swings several-fold with what else
// the machine runs, so two enumerations timed one after the other may differ more
// than all the work of the program's own code. The clock sets apart, within one
// timing, the time spent inside FindFirstUrlCacheEntryA and FindNextUrlCacheEntryA
// from the rest.
#ifndef BRINDLEWICK_BENCH_ENUMERATION_CLOCK_H
#define BRINDLEWICK_BENCH_ENUMERATION_CLOCK_H

// Puts the clock in front of the two calls in this program's import table; false
// when they are not found there.
bool StartEnumerationClock();
// Milliseconds spent inside the two calls since the clock was started.
double EnumerationMs();

#endif

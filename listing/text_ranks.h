// The order lstrcmpiA gives texts of 7-bit characters, learned from the system's
// own comparison at run time, so that such texts compare without a call per pair.
#ifndef BRINDLEWICK_TEXT_RANKS_H
#define BRINDLEWICK_TEXT_RANKS_H

#include <windows.h>

// Rank of a character the first level of the comparison passes over (the hyphen,
// the apostrophe and most control characters).
const BYTE RANK_IGNORED = 0xFF;

// The first-level weight of every character below 0x80 in a locale, as a rank: 1
// and up in the locale's order, equal for characters that level does not tell
// apart (the two cases of a letter). The terminating NUL ranks 0.
struct TextRanks {
    LCID locale;
    BYTE rank[128];
};

// The ranks of the thread's locale (the one lstrcmpiA compares in), learned at the
// first call for that locale with a few thousand short comparisons. Null when the
// locale's order of 7-bit texts is not one of single characters (two letters that
// sort as one, as in some languages) or the system would not compare: every text
// then needs the system.
const TextRanks* ThreadTextRanks();

// Compares two texts of characters below 0x80 by their ranks, passing over ignored
// characters: negative or positive where the first level tells them apart, which
// decides lstrcmpiA's order too; 0 where it does not, which leaves the order to
// the system (letter case, hyphens and the like decide there).
int CompareRanked(const TextRanks* ranks, const char* a, const char* b);

#endif

// Learning the first-level order of the 7-bit characters from CompareStringA with
// the flag lstrcmpiA passes, and comparing texts by it.
#include <algorithm>
#include "text_ranks.h"

namespace {

struct Learner {
    LCID locale;
    BOOL failed;        // the system refused a comparison
};

// lstrcmpiA's comparison of two short texts: -1, 0 or 1.
int Compare(Learner* learner, const char* a, const char* b)
{
    int result = CompareStringA(learner->locale, NORM_IGNORECASE, a, -1, b, -1);
    if (result == 0)
        learner->failed = TRUE;
    return result - CSTR_EQUAL;
}

int ComparePair(Learner* learner, char a1, char a2, char b1, char b2)
{
    const char a[3] = {a1, a2, 0}, b[3] = {b1, b2, 0};
    return Compare(learner, a, b);
}

// Whether the first level passes over c: "cb" sorts after "a" and "ca" before "b",
// as "b" and "a" alone do, and the same with "y" and "z". A character of a's or
// y's own rank passes one of the two tests, never both.
BOOL Ignored(Learner* learner, char c)
{
    return ComparePair(learner, c, 'b', 'a', 0) > 0 && ComparePair(learner, c, 'a', 'b', 0) < 0 &&
           ComparePair(learner, c, 'z', 'y', 0) > 0 && ComparePair(learner, c, 'y', 'z', 0) < 0;
}

// Whether c ranks below d: "cb" sorts before "da". Of two characters of one rank
// the second letters decide, and "cb" comes after.
BOOL Below(Learner* learner, char c, char d)
{
    return ComparePair(learner, c, 'b', d, 'a') < 0;
}

// Whether every pair of ranked characters sorts as its two ranks in turn: "xy"
// after "x" followed by the rank below y's and the highest rank (after "x" alone
// for the lowest y), and before "x" followed by the rank above y's. Two letters
// that the locale sorts as one letter of their own break one of these. `byRank`
// holds one character of each rank, in rank order.
BOOL PairsSortByRanks(Learner* learner, const char* byRank, int ranks)
{
    char highest = byRank[ranks - 1];
    for (int x = 0; x < ranks; x++) {
        for (int y = 0; y < ranks; y++) {
            const char pair[3] = {byRank[x], byRank[y], 0};
            const char below[4] = {byRank[x], y > 0 ? byRank[y - 1] : '\0', highest, 0};
            if (Compare(learner, pair, below) <= 0)
                return FALSE;
            if (y + 1 < ranks && ComparePair(learner, byRank[x], byRank[y], byRank[x], byRank[y + 1]) >= 0)
                return FALSE;
        }
    }
    return !learner->failed;
}

BOOL Learn(TextRanks* ranks)
{
    Learner learner = {ranks->locale, FALSE};
    char weighted[128];
    int count = 0;
    ranks->rank[0] = 0;
    for (int c = 1; c < 128; c++) {
        if (Ignored(&learner, (char)c))
            ranks->rank[c] = RANK_IGNORED;
        else
            weighted[count++] = (char)c;
    }
    std::stable_sort(weighted, weighted + count, [&learner](char c, char d) { return Below(&learner, c, d); });

    char byRank[128];
    int rank = 0;
    for (int i = 0; i < count; i++) {
        if (i == 0 || Below(&learner, weighted[i - 1], weighted[i]))
            byRank[rank++] = weighted[i];
        ranks->rank[(BYTE)weighted[i]] = (BYTE)rank;
    }
    return !learner.failed && count > 0 && PairsSortByRanks(&learner, byRank, rank);
}

}  // namespace

const TextRanks* ThreadTextRanks()
{
    static TextRanks ranks;
    static BOOL usable;
    LCID locale = GetThreadLocale();
    if (ranks.locale != locale) {
        ranks.locale = locale;
        usable = Learn(&ranks);
    }
    return usable ? &ranks : NULL;
}

int CompareRanked(const TextRanks* ranks, const char* a, const char* b)
{
    const BYTE* p = (const BYTE*)a;
    const BYTE* q = (const BYTE*)b;
    for (;;) {
        BYTE x = *p, y = *q;
        // Equal characters have equal ranks: the walk is a byte comparison until
        // the texts differ.
        if (x == y) {
            if (x == 0)
                return 0;
            p++, q++;
            continue;
        }
        BYTE rx = ranks->rank[x], ry = ranks->rank[y];
        if (rx == RANK_IGNORED) {
            p++;
        } else if (ry == RANK_IGNORED) {
            q++;
        } else if (rx != ry) {
            return rx < ry ? -1 : 1;
        } else {
            p++, q++;
        }
    }
}

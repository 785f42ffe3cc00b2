// A three-way radix quicksort (Bentley and Sedgewick) over the ranks of the short
// keys: each step partitions by one rank, so texts that share long beginnings, as
// URLs and paths do, are not compared from their first character again and again.
// Rows whose runs of ranks are equal are ordered by their hyphen and apostrophe
// entries and then by entry number.
#include <string.h>
#include <algorithm>
#include "plain_text_sort.h"
#include "plain_sort_keys.h"
#include "ordering.h"
#include "heap.h"

namespace {

const ULONGLONG BLOCK_LIMIT = 0x7FFFFFFF;
// Keys checked against the system's in every sort.
const DWORD KEYS_CHECKED = 8;
// The longest key that is checked.
const DWORD CHECKED_KEY_LIMIT = 1000;
const int SMALL = 12;

struct Row {
    CacheEntry* entry;
    const BYTE* key;        // ranks, then the entries
    DWORD ranks;
    DWORD length;
};

// Ranks run 1 to 254; descending, they are stored as 255 less the rank, and the end
// of the run reads as 255 instead of 0, so that a shorter text comes after.
BYTE endMark;

inline BYTE RankAt(const Row& row, DWORD depth)
{
    return depth < row.ranks ? row.key[depth] : endMark;
}

// The entries, then the entry number: the order of rows whose ranks are all equal.
int CompareEntries(const Row& a, const Row& b)
{
    const BYTE* x = a.key + a.ranks;
    const BYTE* y = b.key + b.ranks;
    DWORD xLength = a.length - a.ranks, yLength = b.length - b.ranks;
    int order = memcmp(x, y, std::min(xLength, yLength));
    if (order == 0)
        order = xLength < yLength ? -1 : (xLength > yLength ? 1 : 0);
    if (SortDescending)
        order = -order;
    if (order != 0)
        return order;
    return a.entry->entryNumber < b.entry->entryNumber ? -1 : (a.entry->entryNumber > b.entry->entryNumber ? 1 : 0);
}

// The whole order of two rows whose first `depth` ranks are equal.
int CompareFrom(const Row& a, const Row& b, DWORD depth)
{
    for (;; depth++) {
        BYTE x = RankAt(a, depth), y = RankAt(b, depth);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == endMark)
            return CompareEntries(a, b);
    }
}

void InsertionSort(Row* rows, DWORD count, DWORD depth)
{
    for (DWORD i = 1; i < count; i++)
        for (DWORD j = i; j > 0 && CompareFrom(rows[j], rows[j - 1], depth) < 0; j--)
            std::swap(rows[j], rows[j - 1]);
}

BYTE MedianRank(Row* rows, DWORD count, DWORD depth)
{
    BYTE a = RankAt(rows[0], depth), b = RankAt(rows[count / 2], depth), c = RankAt(rows[count - 1], depth);
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Sorts rows whose first `depth` ranks are equal. The two smaller of the three
// parts are sorted by recursion, the largest by the loop, so that the recursion
// never holds more than half the rows of its caller.
void RadixQuicksort(Row* rows, DWORD count, DWORD depth)
{
    while (count > SMALL) {
        BYTE pivot = MedianRank(rows, count, depth);
        // Three-way partition: [0, lt) below, [lt, gt) equal, [gt, count) above.
        DWORD lt = 0, i = 0, gt = count;
        while (i < gt) {
            BYTE rank = RankAt(rows[i], depth);
            if (rank < pivot)
                std::swap(rows[lt++], rows[i++]);
            else if (rank > pivot)
                std::swap(rows[i], rows[--gt]);
            else
                i++;
        }
        struct Part { Row* rows; DWORD count; DWORD depth; BOOL ended; } parts[3] = {
            {rows, lt, depth, FALSE},
            {rows + lt, gt - lt, depth + 1, pivot == endMark},
            {rows + gt, count - gt, depth, FALSE},
        };
        std::sort(parts, parts + 3, [](const Part& a, const Part& b) { return a.count < b.count; });
        for (int p = 0; p < 2; p++) {
            if (parts[p].ended)
                std::sort(parts[p].rows, parts[p].rows + parts[p].count,
                          [](const Row& a, const Row& b) { return CompareEntries(a, b) < 0; });
            else
                RadixQuicksort(parts[p].rows, parts[p].count, parts[p].depth);
        }
        if (parts[2].ended) {
            std::sort(parts[2].rows, parts[2].rows + parts[2].count,
                      [](const Row& a, const Row& b) { return CompareEntries(a, b) < 0; });
            return;
        }
        rows = parts[2].rows;
        count = parts[2].count;
        depth = parts[2].depth;
    }
    InsertionSort(rows, count, depth);
}

// How many ranks every key begins with: paths of one cache folder share most of
// theirs, and partitioning by ranks that are all equal would only walk the rows.
DWORD SharedRanks(const Row* rows, DWORD count)
{
    DWORD shared = count ? rows[0].ranks : 0;
    for (DWORD i = 1; i < count && shared > 0; i++) {
        DWORD same = 0;
        while (same < shared && same < rows[i].ranks && rows[i].key[same] == rows[0].key[same])
            same++;
        shared = same;
    }
    return shared;
}

const char* TextOf(const char* (*text)(const CacheEntry*), void* row)
{
    const char* value = text((CacheEntry*)row);
    return value ? value : "";
}

}  // namespace

BOOL SortPlainTexts(void** rows, DWORD count, const char* (*text)(const CacheEntry* entry))
{
    PreparePlainKeys();
    ULONGLONG bytes = (ULONGLONG)count * sizeof(Row);
    for (DWORD i = 0; i < count; i++) {
        DWORD ranks;
        DWORD length = ShortPlainKey(TextOf(text, rows[i]), NULL, &ranks);
        if (length == 0 && *TextOf(text, rows[i]))
            return FALSE;
        bytes += length;
    }
    if (bytes > BLOCK_LIMIT)
        return FALSE;
    // A few of the keys are checked against the system's before the table is trusted.
    DWORD checked = 0;
    for (DWORD i = 0; i < count && checked < KEYS_CHECKED; i++) {
        const char* value = TextOf(text, rows[i]);
        if (strlen(value) * 4 + 16 > CHECKED_KEY_LIMIT)
            continue;
        if (!PlainKeyMatchesSystem(value)) {
            DisablePlainKeys();
            return FALSE;
        }
        checked++;
    }
    Row* keyed = (Row*)HeapGet((DWORD)bytes);
    if (!keyed)
        return FALSE;

    BOOL descending = SortDescending != 0;
    endMark = descending ? 255 : 0;
    BYTE* next = (BYTE*)(keyed + count);
    for (DWORD i = 0; i < count; i++) {
        Row& row = keyed[i];
        row.entry = (CacheEntry*)rows[i];
        row.key = next;
        row.ranks = 0;
        row.length = ShortPlainKey(TextOf(text, rows[i]), next, &row.ranks);
        if (descending)
            for (DWORD r = 0; r < row.ranks; r++)
                next[r] = (BYTE)(255 - next[r]);
        next += row.length;
    }
    RadixQuicksort(keyed, count, SharedRanks(keyed, count));
    for (DWORD i = 0; i < count; i++)
        rows[i] = keyed[i].entry;
    HeapRelease(keyed);
    return TRUE;
}

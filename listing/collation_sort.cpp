#include <string.h>
#include <algorithm>
#include "collation_sort.h"
#include "heap.h"
#include "ordering.h"
#include "text_ranks.h"

namespace {

// Compared byte for byte, these keys order texts as lstrcmpiA does.
const DWORD KEY_FLAGS = LCMAP_SORTKEY | NORM_IGNORECASE;
// Room made before a key is written: a key takes a few bytes per character, so the
// one call that writes it rarely finds too little.
const DWORD KEY_ROOM_PER_CHARACTER = 8;
const DWORD KEY_ROOM_EXTRA = 64;
const DWORD KEY_BLOCK_START = 64 * 1024;
// Largest key block asked for; beyond it the texts are compared by lstrcmpiA.
const DWORD KEY_BLOCK_LIMIT = 0x40000000;
const DWORD NO_KEY = 0xFFFFFFFF;

// A row as the sort moves it. Its key, once made, is found by `index`.
struct SortRow {
    CacheEntry* entry;
    const char* text;       // "" for none
    DWORD index;            // the row's place before the sort
    BOOL plain;             // every byte below 0x80
};

struct KeyRef {
    DWORD at;               // offset in the key block, or NO_KEY
    DWORD length;           // NUL included
};

// What the comparisons of one sort share.
struct TextSorter {
    const CollationColumn* column;
    const TextRanks* ranks;     // null: every pair goes to the system
    LCID locale;
    BOOL descending;
    KeyRef* refs;               // one per row, by index
    BYTE* keys;                 // the keys made so far, back to back
    DWORD keyBytes;
    DWORD keyCapacity;
    BOOL keysFailed;            // from now on lstrcmpiA compares what the ranks leave
};

BOOL IsPlain(const char* text)
{
    for (const BYTE* p = (const BYTE*)text; *p; p++)
        if (*p >= 0x80)
            return FALSE;
    return TRUE;
}

// Makes sure the key block has `room` bytes free; FALSE when it cannot grow.
BOOL MakeRoom(TextSorter* sorter, DWORD room)
{
    if (sorter->keyCapacity - sorter->keyBytes >= room)
        return TRUE;
    ULONGLONG wanted = std::max<ULONGLONG>((ULONGLONG)sorter->keyBytes + room, 2ULL * sorter->keyCapacity);
    wanted = std::max<ULONGLONG>(wanted, KEY_BLOCK_START);
    if (wanted > KEY_BLOCK_LIMIT)
        return FALSE;
    BYTE* grown = (BYTE*)HeapResize(sorter->keys, (DWORD)wanted);
    if (!grown)
        return FALSE;
    sorter->keys = grown;
    sorter->keyCapacity = (DWORD)wanted;
    return TRUE;
}

// Writes the row's key at the end of the block with one call, into room that a
// key of its length fits; only a key that still does not fit costs another.
BOOL MakeKey(TextSorter* sorter, const SortRow& row)
{
    KeyRef* ref = &sorter->refs[row.index];
    if (ref->at != NO_KEY)
        return TRUE;
    ULONGLONG room = (ULONGLONG)strlen(row.text) * KEY_ROOM_PER_CHARACTER + KEY_ROOM_EXTRA;
    for (;;) {
        if (room > KEY_BLOCK_LIMIT || !MakeRoom(sorter, (DWORD)room))
            return FALSE;
        DWORD free = sorter->keyCapacity - sorter->keyBytes;
        int written = LCMapStringA(sorter->locale, KEY_FLAGS, row.text, -1, (LPSTR)sorter->keys + sorter->keyBytes,
                                   (int)free);
        if (written > 0) {
            ref->at = sorter->keyBytes;
            ref->length = (DWORD)written;
            sorter->keyBytes += (DWORD)written;
            return TRUE;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return FALSE;
        room = 2ULL * free;
    }
}

int CompareKeys(const TextSorter* sorter, const SortRow& a, const SortRow& b)
{
    const KeyRef& ka = sorter->refs[a.index];
    const KeyRef& kb = sorter->refs[b.index];
    int order = memcmp(sorter->keys + ka.at, sorter->keys + kb.at, std::min(ka.length, kb.length));
    if (order != 0)
        return order;
    return ka.length < kb.length ? -1 : (ka.length > kb.length ? 1 : 0);
}

// The two texts in lstrcmpiA's order.
int CompareTexts(TextSorter* sorter, const SortRow& a, const SortRow& b)
{
    if (a.plain && b.plain && sorter->ranks) {
        int order = CompareRanked(sorter->ranks, a.text, b.text);
        if (order != 0)
            return order;
    }
    // Equal bytes are equal texts in every locale.
    if (strcmp(a.text, b.text) == 0)
        return 0;
    if (!sorter->keysFailed && MakeKey(sorter, a) && MakeKey(sorter, b))
        return CompareKeys(sorter, a, b);
    sorter->keysFailed = TRUE;
    return lstrcmpiA(a.text, b.text);
}

// The leading key, then the text, both reversed while descending, then the entry
// number, always ascending.
bool Before(TextSorter* sorter, const SortRow& a, const SortRow& b)
{
    int order = 0;
    if (sorter->column->leadingKey)
        order = sorter->descending ? sorter->column->leadingKey(b.entry, a.entry)
                                   : sorter->column->leadingKey(a.entry, b.entry);
    if (order == 0)
        order = sorter->descending ? CompareTexts(sorter, b, a) : CompareTexts(sorter, a, b);
    if (order != 0)
        return order < 0;
    return a.entry->entryNumber < b.entry->entryNumber;
}

// Merges the sorted rows [lo, mid) and [mid, hi) of `from` into the same places of
// `to`, the earlier row first among equals.
void MergeRuns(TextSorter* sorter, const SortRow* from, SortRow* to, DWORD lo, DWORD mid, DWORD hi)
{
    DWORD a = lo, b = mid, out = lo;
    // Bounds alone end these loops: an inconsistent comparison misorders rows, never overruns.
    while (a < mid && b < hi)
        to[out++] = Before(sorter, from[b], from[a]) ? from[b++] : from[a++];
    while (a < mid)
        to[out++] = from[a++];
    while (b < hi)
        to[out++] = from[b++];
}

// Sorts the rows [lo, hi) into `to` by merging, `from` holding the same rows there
// and serving as scratch. A merge sort, unlike std::sort's unguarded insertion,
// stays in bounds when the comparison changes its rules mid-sort (keys that could
// not be made). Each half is sorted completely before the two merge, so that the
// records of a short run stay in the processor's cache: a pass over all rows per
// run length would fetch every record from memory again each time.
void SortRun(TextSorter* sorter, SortRow* from, SortRow* to, DWORD lo, DWORD hi)
{
    if (hi - lo < 2)
        return;
    DWORD mid = lo + (hi - lo) / 2;
    SortRun(sorter, to, from, lo, mid);
    SortRun(sorter, to, from, mid, hi);
    MergeRuns(sorter, from, to, lo, mid, hi);
}

}  // namespace

BOOL SortByCollationKeys(void** rows, DWORD count, const CollationColumn* column)
{
    ULONGLONG bytes = (ULONGLONG)count * (2 * sizeof(SortRow) + sizeof(KeyRef));
    if (bytes > KEY_BLOCK_LIMIT)
        return FALSE;
    SortRow* sorted = (SortRow*)HeapGet((DWORD)bytes);
    if (!sorted)
        return FALSE;
    TextSorter sorter = {column, ThreadTextRanks(), GetThreadLocale(), SortDescending != 0,
                         (KeyRef*)(sorted + 2 * count), NULL, 0, 0, FALSE};
    for (DWORD i = 0; i < count; i++) {
        CacheEntry* entry = (CacheEntry*)rows[i];
        const char* text = column->text(entry);
        sorted[i] = {entry, text ? text : "", i, FALSE};
        sorted[i].plain = IsPlain(sorted[i].text);
        sorter.refs[i] = {NO_KEY, 0};
    }
    CopyMemory(sorted + count, sorted, count * sizeof(SortRow));
    SortRun(&sorter, sorted + count, sorted, 0, count);
    for (DWORD i = 0; i < count; i++)
        rows[i] = sorted[i].entry;
    HeapRelease(sorter.keys);
    HeapRelease(sorted);
    return TRUE;
}

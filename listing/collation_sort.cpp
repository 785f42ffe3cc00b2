#include <string.h>
#include <algorithm>
#include "collation_sort.h"
#include "ordering.h"
#include "heap.h"

// Compared byte for byte, these keys order texts as lstrcmpiA does.
static const DWORD KEY_FLAGS = LCMAP_SORTKEY | NORM_IGNORECASE;
// Largest key block asked for; beyond it the comparator sort takes over.
static const ULONGLONG KEY_BLOCK_LIMIT = 0x7FFFFFFF;

struct KeyedRow {
    CacheEntry* entry;
    const BYTE* key;        // ends with its NUL
    DWORD length;           // NUL included
};

static const char* TextOf(const CollationColumn* column, const CacheEntry* entry)
{
    const char* text = column->text(entry);
    return text ? text : "";
}

static int CompareKeys(const KeyedRow& a, const KeyedRow& b)
{
    int order = memcmp(a.key, b.key, std::min(a.length, b.length));
    if (order != 0)
        return order;
    return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

// Length of the key of `text`, its NUL included; 0 when the system cannot make it.
static DWORD KeyLength(const char* text)
{
    int measured = LCMapStringA(LOCALE_USER_DEFAULT, KEY_FLAGS, text, -1, NULL, 0);
    return measured > 0 ? (DWORD)measured : 0;
}

// Writes the key of `text` into `room` bytes; gives its length, or 0.
static DWORD WriteKey(const char* text, BYTE* key, DWORD room)
{
    int written = LCMapStringA(LOCALE_USER_DEFAULT, KEY_FLAGS, text, -1, (LPSTR)key, (int)room);
    return written > 0 ? (DWORD)written : 0;
}

// Compares the leading key of two rows in the direction of the sort.
static int Leading(const CollationColumn* column, const void* first, const void* second)
{
    const CacheEntry* a = (const CacheEntry*)first;
    const CacheEntry* b = (const CacheEntry*)second;
    return SortDescending ? column->leadingKey(b, a) : column->leadingKey(a, b);
}

// Whether row i of rows sorted by the leading key shares that key with a neighbour:
// only then can its text decide anything. Without a leading key every row needs it.
static BOOL NeedsKey(void** rows, DWORD count, DWORD i, const CollationColumn* column)
{
    if (!column->leadingKey)
        return TRUE;
    return (i > 0 && Leading(column, rows[i - 1], rows[i]) == 0) ||
           (i + 1 < count && Leading(column, rows[i], rows[i + 1]) == 0);
}

// Makes the keys the rows need in one block: a first pass measures them, a second
// writes them behind the row array; a row that needs none gets an empty key. Null
// when the block cannot be had or a key cannot be made.
static KeyedRow* MakeKeys(void** rows, DWORD count, const CollationColumn* column)
{
    ULONGLONG bytes = (ULONGLONG)count * sizeof(KeyedRow);
    for (DWORD i = 0; i < count; i++) {
        if (!NeedsKey(rows, count, i, column))
            continue;
        DWORD length = KeyLength(TextOf(column, (CacheEntry*)rows[i]));
        if (length == 0)
            return NULL;
        bytes += (DWORD)length;
    }
    if (bytes > KEY_BLOCK_LIMIT)
        return NULL;
    KeyedRow* keyed = (KeyedRow*)HeapGet((DWORD)bytes);
    if (!keyed)
        return NULL;

    BYTE* next = (BYTE*)(keyed + count);
    BYTE* end = (BYTE*)keyed + bytes;
    for (DWORD i = 0; i < count; i++) {
        CacheEntry* entry = (CacheEntry*)rows[i];
        keyed[i].entry = entry;
        keyed[i].key = next;
        keyed[i].length = 0;
        if (!NeedsKey(rows, count, i, column))
            continue;
        DWORD length = WriteKey(TextOf(column, entry), next, (DWORD)(end - next));
        if (length == 0) {
            HeapRelease(keyed);
            return NULL;
        }
        keyed[i].length = length;
        next += length;
    }
    return keyed;
}

// Orders rows by their text's key (reversed while descending) and then by entry
// number, always ascending.
static void SortByKeys(KeyedRow* first, KeyedRow* last)
{
    BOOL descending = SortDescending != 0;
    std::sort(first, last, [descending](const KeyedRow& a, const KeyedRow& b) {
        int order = descending ? CompareKeys(b, a) : CompareKeys(a, b);
        if (order != 0)
            return order < 0;
        return a.entry->entryNumber < b.entry->entryNumber;
    });
}

BOOL SortByCollationKeys(void** rows, DWORD count, const CollationColumn* column)
{
    // The text decides only among rows whose leading key is equal: sort by that key
    // first, and the keys are made and compared for the runs of equal ones alone.
    if (column->leadingKey)
        std::sort(rows, rows + count, [column](void* a, void* b) { return Leading(column, a, b) < 0; });
    KeyedRow* keyed = MakeKeys(rows, count, column);
    if (!keyed)
        return FALSE;
    if (!column->leadingKey)
        SortByKeys(keyed, keyed + count);
    for (DWORD start = 0; column->leadingKey && start < count;) {
        DWORD end = start + 1;
        while (end < count && Leading(column, rows[start], rows[end]) == 0)
            end++;
        SortByKeys(keyed + start, keyed + end);
        start = end;
    }
    for (DWORD i = 0; i < count; i++)
        rows[i] = keyed[i].entry;
    HeapRelease(keyed);
    return TRUE;
}

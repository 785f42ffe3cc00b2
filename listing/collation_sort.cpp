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

// Makes every row's key in one block: a first pass measures them, a second writes
// them behind the row array. Null when the block cannot be had or a key cannot be made.
static KeyedRow* MakeKeys(void** rows, DWORD count, const CollationColumn* column)
{
    ULONGLONG bytes = (ULONGLONG)count * sizeof(KeyedRow);
    for (DWORD i = 0; i < count; i++) {
        int length = LCMapStringA(LOCALE_USER_DEFAULT, KEY_FLAGS, TextOf(column, (CacheEntry*)rows[i]), -1, NULL, 0);
        if (length <= 0)
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
        int length = LCMapStringA(LOCALE_USER_DEFAULT, KEY_FLAGS, TextOf(column, entry), -1, (LPSTR)next,
                                  (int)(end - next));
        if (length <= 0) {
            HeapRelease(keyed);
            return NULL;
        }
        keyed[i].entry = entry;
        keyed[i].key = next;
        keyed[i].length = (DWORD)length;
        next += length;
    }
    return keyed;
}

BOOL SortByCollationKeys(void** rows, DWORD count, const CollationColumn* column)
{
    KeyedRow* keyed = MakeKeys(rows, count, column);
    if (!keyed)
        return FALSE;

    BOOL descending = SortDescending != 0;
    std::sort(keyed, keyed + count, [descending, column](const KeyedRow& first, const KeyedRow& second) {
        const KeyedRow& a = descending ? second : first;
        const KeyedRow& b = descending ? first : second;
        int order = column->leadingKey ? column->leadingKey(a.entry, b.entry) : 0;
        if (order == 0)
            order = CompareKeys(a, b);
        if (order != 0)
            return order < 0;
        return first.entry->entryNumber < second.entry->entryNumber;
    });
    for (DWORD i = 0; i < count; i++)
        rows[i] = keyed[i].entry;
    HeapRelease(keyed);
    return TRUE;
}

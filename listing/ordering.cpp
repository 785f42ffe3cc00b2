// The fourteen column orderings and the sort that applies them.
#include <algorithm>
#include "ordering.h"
#include "collation_sort.h"
#include "columns.h"

thread_local DWORD SortDescending = 0;

// Every column's index, for the tables made per column below.
#define ALL_COLUMNS(F) F(0), F(1), F(2), F(3), F(4), F(5), F(6), F(7), F(8), F(9), F(10), F(11), F(12), F(13)

// A column's key, then the key of the column the table orders it by next, both
// reversed when sorting descending, then the entry number, which stays ascending
// in both directions.
template <int Column>
static int Ordered(CacheEntry* const* first, CacheEntry* const* second)
{
    const CacheEntry* a = *first;
    const CacheEntry* b = *second;
    const CacheEntry* x = SortDescending ? b : a;
    const CacheEntry* y = SortDescending ? a : b;
    int order = CompareColumnKey(x, y, Column);
    if (order == 0 && ColumnTable[Column].thenBy >= 0)
        order = CompareColumnKey(x, y, ColumnTable[Column].thenBy);
    if (order != 0)
        return order;
    return a->entryNumber < b->entryNumber ? -1 : (a->entryNumber > b->entryNumber ? 1 : 0);
}

#define COMPARATOR(column) Ordered<column>
const EntryComparator EntryComparators[SORT_COLUMNS] = {ALL_COLUMNS(COMPARATOR)};

template <int Column>
static const char* TextOf(const CacheEntry* entry) { return ColumnString(entry, Column); }
template <int Column>
static int KeyOf(const CacheEntry* a, const CacheEntry* b) { return CompareColumnKey(a, b, Column); }

#define TEXT_OF(column) TextOf<column>
#define KEY_OF(column) KeyOf<column>
static const char* (*const ColumnTexts[COLUMN_COUNT])(const CacheEntry*) = {ALL_COLUMNS(TEXT_OF)};
static int (*const ColumnKeys[COLUMN_COUNT])(const CacheEntry*, const CacheEntry*) = {ALL_COLUMNS(KEY_OF)};

// The columns the text sort takes: a text column, or one ordered next by a text
// column (the last access time, then the URL), in the form the text sort takes them.
static BOOL TextColumn(LONG column, CollationColumn* text)
{
    const ColumnDef& def = ColumnTable[column];
    if (def.kind == COLUMN_TEXT) {
        text->text = ColumnTexts[column];
        text->leadingKey = NULL;
        return TRUE;
    }
    if (def.thenBy >= 0 && ColumnTable[def.thenBy].kind == COLUMN_TEXT) {
        text->text = ColumnTexts[def.thenBy];
        text->leadingKey = ColumnKeys[column];
        return TRUE;
    }
    return FALSE;
}

void SortListing(Listing* listing, LONG column, DWORD direction)
{
    if (listing->count <= 0 || !listing->records || column < 0 || column >= SORT_COLUMNS)
        return;
    SortDescending = direction;
    void** rows = listing->records->pointers;
    DWORD count = (DWORD)listing->count;

    // lstrcmpiA costs microseconds a call; text columns compare by the ranks learned
    // from the system and by collation keys made at most once per row instead, and
    // fall back to the comparator when there is no memory for the sort's rows.
    CollationColumn text;
    if (TextColumn(column, &text) && SortByCollationKeys(rows, count, &text))
        return;
    EntryComparator compare = EntryComparators[column];
    std::sort(rows, rows + count, [compare](void* first, void* second) {
        CacheEntry* a = (CacheEntry*)first;
        CacheEntry* b = (CacheEntry*)second;
        return compare(&a, &b) < 0;
    });
}

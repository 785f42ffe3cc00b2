// Sorting rows by a text column without a key per row from the system: for texts
// whose characters the learned table knows, a radix quicksort over the short keys
// of plain_sort_keys.h.
#ifndef BRINDLEWICK_PLAIN_TEXT_SORT_H
#define BRINDLEWICK_PLAIN_TEXT_SORT_H

#include "listing.h"

// Sorts `count` rows by their texts (null sorts as ""), case-insensitively in the
// user's locale as lstrcmpiA orders them, reversed while SortDescending is set, then
// by entry number ascending; the same order as the collation keys give. Takes one
// heap block for the length of the sort. Gives FALSE, with the rows untouched, when
// a text has a character the table does not know, a key made from the table is not
// the system's, or the block cannot be had.
BOOL SortPlainTexts(void** rows, DWORD count, const char* (*text)(const CacheEntry* entry));

#endif

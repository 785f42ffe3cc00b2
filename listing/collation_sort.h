// Sorting rows by a text column in the order lstrcmpiA gives, through collation keys
// made once per row instead of a locale comparison per pair.
#ifndef BRINDLEWICK_COLLATION_SORT_H
#define BRINDLEWICK_COLLATION_SORT_H

#include "listing.h"

struct CollationColumn {
    const char* (*text)(const CacheEntry* entry);                  // null sorts as ""
    int (*leadingKey)(const CacheEntry* a, const CacheEntry* b);    // compared before the text, or null
};

// Sorts `count` rows by the leading key, then the text case-insensitively in the
// user's locale, both reversed while SortDescending is set, then by entry number
// ascending. The keys take one heap block for the length of the sort. Gives FALSE,
// with the rows untouched, when that block cannot be had.
BOOL SortByCollationKeys(void** rows, DWORD count, const CollationColumn* column);

#endif

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
// ascending. The keys take one heap block for the length of the sort; with a
// leading key, only rows that share theirs get one. Gives FALSE when the block
// cannot be had: the rows are then still the same rows, in an order the caller has
// to make again.
BOOL SortByCollationKeys(void** rows, DWORD count, const CollationColumn* column);

#endif

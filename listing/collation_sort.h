// Sorting rows by a text column in the order lstrcmpiA gives, without a locale
// comparison per pair: 7-bit texts compare by the ranks learned from the system,
// and only what the ranks cannot decide goes to the system's collation keys.
#ifndef BRINDLEWICK_COLLATION_SORT_H
#define BRINDLEWICK_COLLATION_SORT_H

#include "listing.h"

struct CollationColumn {
    const char* (*text)(const CacheEntry* entry);                  // null sorts as ""
    int (*leadingKey)(const CacheEntry* a, const CacheEntry* b);    // compared before the text, or null
};

// Sorts `count` rows by the leading key, then the text case-insensitively in the
// thread's locale, both reversed while SortDescending is set, then by entry number
// ascending. Two texts that the ranks do not tell apart, or either of which holds
// a byte of 0x80 or above, are compared by collation keys, made for a row the
// first time it needs one, one system call each, into one growing block. Gives
// FALSE when the block of rows cannot be had: the rows are then as they were, for
// the caller to order another way.
BOOL SortByCollationKeys(void** rows, DWORD count, const CollationColumn* column);

#endif

// The fourteen orderings of a listing's rows, one per list column.
#ifndef BRINDLEWICK_ORDERING_H
#define BRINDLEWICK_ORDERING_H

#include "columns.h"

// Compares two elements of a listing's row array: negative when the first row
// comes first. Reads SortDescending.
typedef int (*EntryComparator)(CacheEntry* const* first, CacheEntry* const* second);

const int SORT_COLUMNS = COLUMN_COUNT;
extern const EntryComparator EntryComparators[SORT_COLUMNS];
// Non-zero while sorting descending; set by SortListing, kept between sorts. One
// for each thread, so that a worker may sort a listing of its own meanwhile.
extern thread_local DWORD SortDescending;

// Sorts the rows by a column (0..13) in a direction (0 ascending, else descending).
// An empty listing or a column outside 0..13 changes nothing, SortDescending included.
void SortListing(Listing* listing, LONG column, DWORD direction);

#endif

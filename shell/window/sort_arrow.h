// The arrow in the header of the column the rows are sorted by.
#ifndef BRINDLEWICK_SORT_ARROW_H
#define BRINDLEWICK_SORT_ARROW_H

#include <windows.h>

// Puts the up arrow (ascending) or the down arrow (descending) on the sorted
// column's header and takes it off every other; no arrow when the rows are
// unsorted (a negative column).
void ShowSortArrow(LONG column, DWORD direction);

#endif

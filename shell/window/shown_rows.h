// Which entry of the main listing each list row shows. Normally row i shows entry
// i; with "Show Changes Only" on or a filter typed, the rows show only the entries
// the filter passes, in the listing's order, and every row-based operation (cell
// texts, activation, the row menu, selection, find, what is exported) goes
// through this mapping.
#ifndef BRINDLEWICK_SHOWN_ROWS_H
#define BRINDLEWICK_SHOWN_ROWS_H

#include <windows.h>
#include "listing.h"
#include "row_filter.h"

struct ShownRows {
    RowFilter filter; // "Show Changes Only" and the filter bar's words; neither stored
    LONG* positions;    // listing position of each row while the filter narrows
    LONG count;         // rows in positions
    LONG capacity;
};

// Whether some entries are left out of the rows.
BOOL RowsNarrowed();
// Fills `rows` with the positions of the entries the filter passes; FALSE (and no
// rows) when memory ran out.
BOOL CollectShownRows(ShownRows* rows, const Listing* listing);
// Adds the position when its entry passes; FALSE when memory ran out.
BOOL AddShownRow(ShownRows* rows, const Listing* listing, LONG position);
void FreeShownRows(ShownRows* rows);

// The main listing's position shown in list row `row`, or -1 when the row shows
// no entry.
LONG ListingPosition(LONG row);
// The list row that shows the main listing's position, or -1 when none does.
LONG RowOfPosition(LONG position);
// The entry list row `row` shows, or null.
CacheEntry* EntryOfRow(LONG row);
// Rows the list has: every entry of the main listing, or those the filter passes.
LONG ShownRowCount();

#endif

// Which entry of the main listing each list row shows. Normally row i shows entry
// i; with "Show Changes Only" on, the rows show only the entries whose status is
// not unchanged, in the listing's order, and every row-based operation (cell
// texts, activation, the row menu, selection, find) goes through this mapping.
#ifndef BRINDLEWICK_SHOWN_ROWS_H
#define BRINDLEWICK_SHOWN_ROWS_H

#include <windows.h>
#include "listing.h"
#include "entry_status.h"   // IsChangedStatus, the filter's rule

struct ShownRows {
    BOOL changesOnly;   // "Show Changes Only" is on; off at every start
    LONG* positions;    // listing position of each row while changesOnly is set
    LONG count;         // rows in positions
    LONG capacity;
};

// Fills `rows` with the positions of the listing's changed entries; FALSE (and no
// rows) when memory ran out.
BOOL CollectChangedRows(ShownRows* rows, const Listing* listing);
void FreeShownRows(ShownRows* rows);

// The main listing's position shown in list row `row`, or -1 when the row shows
// no entry.
LONG ListingPosition(LONG row);
// The list row that shows the main listing's position, or -1 when none does.
LONG RowOfPosition(LONG position);
// The entry list row `row` shows, or null.
CacheEntry* EntryOfRow(LONG row);
// Rows the list has: every entry of the main listing, or the changed ones.
LONG ShownRowCount();

#endif

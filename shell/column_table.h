// The fourteen columns of the list view: captions and default widths.
#ifndef BRINDLEWICK_COLUMN_TABLE_H
#define BRINDLEWICK_COLUMN_TABLE_H

#include <windows.h>
#include "app_state.h"

struct ColumnDef {
    const char* caption;    // null ends the table
    LONG defaultWidth;      // pixels
};

// A column's index is its list view column, its sub-item, its sortColumn value and
// the index of its comparator. A row with a null caption follows the last column.
extern const ColumnDef ColumnTable[COLUMN_COUNT + 1];

// The captions of the fourteen columns, in column order.
void ColumnCaptions(const char* captions[COLUMN_COUNT]);

// Column indexes the code refers to by name.
const LONG COLUMN_LAST_ACCESS = 5;

#endif

// The list view: columns, callback rows over the main listing, cell texts,
// header clicks and the rebuild after compaction.
#ifndef BRINDLEWICK_LIST_VIEW_H
#define BRINDLEWICK_LIST_VIEW_H

#include <windows.h>
#include <commctrl.h>
#include "listing.h"

// Inserts the columns of the ColumnTable with the widths of the settings; gives 0
// at the first column the control refuses.
BOOL InsertColumns();
// Adds a row per entry of the listing, or with `newOnly` per Added entry only,
// with redrawing off meanwhile; gives 0 at the first row the control refuses.
BOOL AddListRows(Listing* listing, BOOL newOnly);
// Adds a row for each entry from position `first` on, as they were appended;
// gives 0 when the control refused a row.
BOOL AppendListRows(Listing* listing, LONG first);
// Drops every row and adds one per entry of the listing, with redrawing off
// meanwhile and one repaint at the end; gives 0 when the control refused a row.
BOOL ReplaceListRows(Listing* listing);
// The main window's WM_NOTIFY.
LRESULT OnListNotify(HWND window, WPARAM wParam, NMHDR* notification);
// Drops the Deleted entries of the main listing, re-sorts it and rebuilds the
// rows; gives 0 or the error of the compaction (the list view then untouched).
DWORD RefreshAfterCompaction();

// The text of one cell, in the one display buffer or in the entry's own strings:
// the next call may overwrite it.
const char* CellText(const CacheEntry* entry, int column);

#endif

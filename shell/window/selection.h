// The list's one selected row, and the selected entry kept across the work that
// reorders or rebuilds the rows.
#ifndef BRINDLEWICK_SELECTION_H
#define BRINDLEWICK_SELECTION_H

#include <windows.h>
#include "listing.h"

// The selected row, or -1.
LONG SelectedRow();
// The entry of the selected row, or null.
CacheEntry* SelectedEntry();
// Selects and focuses the row and scrolls it into view; -1 selects nothing.
void SelectRow(LONG row);

// What identifies the selected entry when its record may be copied or replaced:
// its URL and local file (copies).
struct SelectionMark {
    BOOL held;          // an entry was selected
    char* url;
    char* localFile;
};

void RememberSelection(SelectionMark* mark);
// Selects the row of the remembered entry again, scrolled into view, or nothing
// when it is gone; frees the mark.
void RestoreSelection(SelectionMark* mark);

#endif

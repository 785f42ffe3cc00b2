// The menu of a list row: right-click on a row, Shift+F10 or the Menu key.
#ifndef BRINDLEWICK_ROW_MENU_H
#define BRINDLEWICK_ROW_MENU_H

#include <windows.h>
#include "listing.h"

// The row menu for the entry; the items that do not apply to it (no local file,
// no URL) are grayed. The caller destroys it.
HMENU CreateRowMenu(const CacheEntry* entry);
// The main window's WM_CONTEXTMENU: from the list view, the row menu of the row
// under the mouse (which becomes the selected row), or of the selected row when
// the keyboard asked; no menu away from the rows. FALSE when the message came
// from another window.
BOOL ShowRowMenu(HWND window, HWND source, LPARAM position);

#endif

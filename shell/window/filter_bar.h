// The filter bar: a one-line box above the list whose words narrow the rows, 150
// ms after the last key, to the entries whose URL, local file or header holds
// them (a word starting with '-' excludes). Hidden until asked for; closing it
// clears the filter.
#ifndef BRINDLEWICK_FILTER_BAR_H
#define BRINDLEWICK_FILTER_BAR_H

#include <windows.h>

// Timer of the main window that applies the typed text.
const UINT_PTR FILTER_TIMER = 1;
// Milliseconds after the last key before the rows follow the text.
const UINT FILTER_DELAY_MS = 150;

// Shows the bar (made the first time) and puts the caret in its box.
void ShowFilterBar(HWND window);
// Clears the filter, hides the bar and gives the list the focus.
void CloseFilterBar(HWND window);
// Places the bar along the top of a client area `width` wide; gives the height it
// takes, 0 while hidden.
int PlaceFilterBar(HWND window, int width);
// The bar's WM_COMMAND (the box's changes, the close button); FALSE for the rest.
BOOL OnFilterBarCommand(HWND window, WPARAM wParam, LPARAM lParam);
// The main window's FILTER_TIMER: the rows now follow the box's text.
void ApplyFilterText(HWND window);
// Whether a message is a key for the box that the window's shortcuts must not
// take (letters with Ctrl, Esc, Delete...); function keys stay shortcuts.
BOOL IsFilterBoxKey(const MSG* message);

#endif

// Opening the cached file of a row of the main listing.
#ifndef BRINDLEWICK_OPEN_ENTRY_H
#define BRINDLEWICK_OPEN_ENTRY_H

#include <windows.h>

// Opens the cached file of the main listing's row, with the open command when one
// is set, else with the file's association unless its type can run code.
void OpenEntry(HWND window, LONG row);
// The extension of the path (dot to end) as UTF-16 in `buffer`, or null when the
// path has none or it needs more than `capacity` units with its NUL.
WCHAR* FindExtension(const char* path, WCHAR* buffer, DWORD capacity);
// True for the file types that run code when opened by association.
BOOL IsExecutableType(const WCHAR* extension);

#endif

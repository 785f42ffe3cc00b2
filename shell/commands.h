// The menu commands and the opening of a row's cached file.
#ifndef BRINDLEWICK_COMMANDS_H
#define BRINDLEWICK_COMMANDS_H

#include <windows.h>

// Runs one menu command; identifiers it does not know do nothing.
void OnCommand(HWND window, UINT command);
// Sets or clears the check mark of a menu item.
void CheckOption(HMENU menu, UINT command, DWORD on);

// Opens the cached file of the main listing's row, with the open command when one
// is set, else with the file's association unless its type can run code.
void OpenEntry(HWND window, LONG row);
// The extension of the path (dot to end) as UTF-16 in `buffer`, or null when the
// path has none or it needs more than `capacity` units with its NUL.
WCHAR* FindExtension(const char* path, WCHAR* buffer, DWORD capacity);
// True for the file types that run code when opened by association.
BOOL IsExecutableType(const WCHAR* extension);

#endif

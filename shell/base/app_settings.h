// What the user chose and the program keeps between runs: the options, the sort
// order, the column widths, the window's place and the open command.
#ifndef BRINDLEWICK_APP_SETTINGS_H
#define BRINDLEWICK_APP_SETTINGS_H

#include <windows.h>

const int COLUMN_WIDTH_SLOTS = 16;
const DWORD OPEN_COMMAND_BYTES = 512;

// The block the main window is created from.
struct WindowParams {
    const char* title;
    DWORD style;
    DWORD exStyle;
    LONG x;
    LONG y;
    LONG width;
    LONG height;
    DWORD showCommand;
};

struct AppSettings {
    LONG sortColumn;                        // 0..13, negative: unsorted
    DWORD sortDirection;                    // 1 descending, 0 ascending
    DWORD includeStrays;
    DWORD includeCookies;
    DWORD straysAtLastMerge;                // the options as they stood at the last merge or load
    DWORD cookiesAtLastMerge;
    LONG columnWidths[COLUMN_WIDTH_SLOTS];  // 14 columns, 2 spare
    WindowParams window;
    char openCommand[OPEN_COMMAND_BYTES];
};

#endif

// The one process-wide state record: the settings, the two listings, the windows
// and the system functions looked up at start-up. Only the shell reads it; the
// listing and file code is handed what it needs.
#ifndef BRINDLEWICK_APP_STATE_H
#define BRINDLEWICK_APP_STATE_H

#include <windows.h>
#include <commdlg.h>
#include "cache_scan.h"
#include "find_text.h"
#include "listing.h"
#include "shown_rows.h"

const int COLUMN_COUNT = 14;
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

typedef HRESULT (WINAPI *DangerCheck)(LPCWSTR extension);
typedef BOOL (WINAPI *FileDialog)(LPOPENFILENAMEA dialog);
typedef HINSTANCE (WINAPI *ShellOpen)(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                      LPCSTR directory, INT showCommand);

struct AppState {
    FreeSpaceQuery freeSpaceQuery;          // GetDiskFreeSpaceExA, or null
    DangerCheck dangerCheck;                // AssocIsDangerous, or null
    HINSTANCE instance;
    HMODULE shlwapi;                        // held only while dangerCheck is set
    HWND statusBar;
    HWND listView;
    Listing mainListing;
    Listing scanListing;
    AppSettings settings;
    ShownRows shownRows;                    // the rows on screen while only changes are shown
    HWND findDialog;                        // the modeless Find dialog, or null
    FindRequest lastFind;                   // what Find looked for last, for F3 and Shift+F3
    // The dialogs and the shell call, kept as pointers so that tests can answer them.
    FileDialog openFileDialog;              // GetOpenFileNameA
    FileDialog saveFileDialog;              // GetSaveFileNameA
    ShellOpen shellExecute;                 // ShellExecuteA
};

extern AppState g_app;

#endif

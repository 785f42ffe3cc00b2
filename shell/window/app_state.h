// The window's process-wide state: the settings, the two listings, the windows
// and the system functions looked up at start-up. Only the window's rooms read it;
// the listing and file code is handed what it needs, and the command line keeps
// state of its own.
#ifndef BRINDLEWICK_APP_STATE_H
#define BRINDLEWICK_APP_STATE_H

#include <windows.h>
#include <commdlg.h>
#include "app_settings.h"
#include "find_text.h"
#include "listing.h"
#include "shown_rows.h"
#include "system_functions.h"

typedef BOOL (WINAPI *FileDialog)(LPOPENFILENAMEA dialog);
typedef HINSTANCE (WINAPI *ShellOpen)(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                      LPCSTR directory, INT showCommand);
// Asks for a folder; its path into `path` (MAX_PATH bytes or more). FALSE when none was chosen.
typedef BOOL (*FolderDialog)(HWND owner, const char* title, char* path);

struct AppState {
    SystemFunctions system;
    HINSTANCE instance;
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
    FolderDialog browseForFolder;           // BrowseForFolder, over SHBrowseForFolderA
};

extern AppState g_app;

// Writes the settings with the main window's rectangle and the widths the user
// dragged the columns to.
void SaveSettings(HWND window);

#endif

#include "commands.h"
#include "app_state.h"
#include "backup_load.h"
#include "cache_scan.h"
#include "dialogs.h"
#include "file_dialogs.h"
#include "list_view.h"
#include "main_window.h"
#include "merge_scan.h"
#include "messages.h"
#include "resource.h"
#include "settings.h"
#include "text_report.h"

void CheckOption(HMENU menu, UINT command, DWORD on)
{
    CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// Flips an option between 0 and 1; it takes effect at the next scan.
static void ToggleOption(HWND window, UINT command, DWORD* option)
{
    *option = *option ? 0 : 1;
    CheckOption(GetMenu(window), command, *option);
}

static void ScanAndMerge(HWND window)
{
    SetStdCursor(IDC_WAIT);
    ScanCache(&g_app.scanListing);
    MergeScan(window);
}

static void LoadSubsequentScan(HWND window)
{
    if (PromptAndLoadBackup(window, FALSE))
        return;
    MergeScan(window);
}

static void RemoveDeletions()
{
    SetStdCursor(IDC_WAIT);
    RefreshAfterCompaction();
    SetStdCursor(IDC_ARROW);
}

// Writes the report of the listing in the order on screen to the file the user
// picks; a report that cannot be written is reported.
static void SaveListing(HWND window)
{
    char path[FILE_NAME_BYTES] = ".txt";
    if (!AskReportPath(window, path))
        return;
    DWORD error = ExportListingText(path, &g_app.mainListing);
    if (error)
        ShowFileError(window, "Couldn't save the listing as", path, error);
}

void OnCommand(HWND window, UINT command)
{
    switch (command) {
    case IDM_SCAN_CACHE:
        ScanAndMerge(window);
        break;
    case IDM_LOAD_NEW_LISTING:
        LoadNewListing(window);
        break;
    case IDM_LOAD_SUBSEQUENT_SCAN:
        LoadSubsequentScan(window);
        break;
    case IDM_REMOVE_DELETIONS:
        RemoveDeletions();
        break;
    case IDM_SAVE_LISTING:
        SaveListing(window);
        break;
    case IDM_INCLUDE_STRAYS:
        ToggleOption(window, command, &g_app.settings.includeStrays);
        break;
    case IDM_INCLUDE_COOKIES:
        ToggleOption(window, command, &g_app.settings.includeCookies);
        break;
    case IDM_SET_OPEN_COMMAND:
        DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_OPEN_COMMAND), window, OpenCommandDialogProc, 0);
        break;
    case IDM_ABOUT:
        DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutDialogProc, 0);
        break;
    case IDM_QUIT:
        // The window is left standing: it goes with the process.
        SaveSettings(window);
        PostQuitMessage(0);
        break;
    }
}

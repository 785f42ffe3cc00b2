#include "commands.h"
#include "app_state.h"
#include "backup_load.h"
#include "compare_backup.h"
#include "dialogs.h"
#include "export_csv.h"
#include "file_dialogs.h"
#include "list_view.h"
#include "merge_scan.h"
#include "messages.h"
#include "open_entry.h"
#include "resource.h"
#include "row_commands.h"
#include "save_backup.h"
#include "selection.h"
#include "settings.h"
#include "shown_rows.h"
#include "text_report.h"
#include "ui_helpers.h"
#include "view_commands.h"

// Flips an option between 0 and 1; it takes effect at the next scan.
static void ToggleOption(HWND window, UINT command, DWORD* option)
{
    *option = *option ? 0 : 1;
    CheckOption(GetMenu(window), command, *option);
}

static void LoadSubsequentScan(HWND window)
{
    if (PromptAndLoadBackup(window, FALSE))
        return;
    MergeScan(window);
}

// Drops the Deleted rows; when memory runs out the listing stays as it was and
// the user is told.
static void RemoveDeletions(HWND window)
{
    SetStdCursor(IDC_WAIT);
    DWORD error = RefreshAfterCompaction();
    SetStdCursor(IDC_ARROW);
    if (error)
        ShowError(window, "Couldn't remove the deleted rows.", error);
}

// The row the list view activated (a double-click or Enter) is its selected row.
static void OpenSelectedRow(HWND window)
{
    LONG position = ListingPosition(SelectedRow());
    if (position >= 0)
        OpenEntry(window, position);
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

// The commands that reorder or rebuild the rows; the selected entry stays selected
// through them.
static BOOL MovesRows(UINT command)
{
    return command == IDM_SCAN_CACHE || command == IDM_LOAD_NEW_LISTING || command == IDM_LOAD_SUBSEQUENT_SCAN ||
           command == IDM_COMPARE_BACKUP || command == IDM_REMOVE_DELETIONS || command == IDM_SHOW_CHANGES_ONLY;
}

void OnCommand(HWND window, UINT command)
{
    BOOL follow = MovesRows(command);
    SelectionMark selected;
    if (follow)
        RememberSelection(&selected);
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
    case IDM_COMPARE_BACKUP:
        CompareWithBackupFile(window);
        break;
    case IDM_REMOVE_DELETIONS:
        RemoveDeletions(window);
        break;
    case IDM_SAVE_LISTING:
        SaveListing(window);
        break;
    case IDM_SAVE_BACKUP:
        SaveCacheBackup(window);
        break;
    case IDM_EXPORT_CSV:
        ExportCsv(window);
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
    case IDM_OPEN_ENTRY:
        OpenSelectedRow(window);
        break;
    case IDM_QUIT:
        // The window is left standing: it goes with the process.
        SaveSettings(window);
        PostQuitMessage(0);
        break;
    default:
        if (!OnViewCommand(window, command))
            OnRowCommand(window, command);
        break;
    }
    if (follow)
        RestoreSelection(&selected);
}

#include "commands.h"
#include "app_state.h"
#include "delete_entries.h"
#include "dialogs.h"
#include "file_dialogs.h"
#include "list_view.h"
#include "messages.h"
#include "open_entry.h"
#include "resource.h"
#include "row_commands.h"
#include "selection.h"
#include "settings.h"
#include "shown_rows.h"
#include "ui_helpers.h"
#include "view_commands.h"
#include "work_commands.h"

// Flips an option between 0 and 1; it takes effect at the next scan.
static void ToggleOption(HWND window, UINT command, DWORD* option)
{
    *option = *option ? 0 : 1;
    CheckOption(GetMenu(window), command, *option);
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

// The commands that reorder or rebuild the rows; the selected entry stays selected
// through them.
// (Long work keeps the selection itself until it ends.)
static BOOL MovesRows(UINT command)
{
    return command == IDM_REMOVE_DELETIONS || command == IDM_SHOW_CHANGES_ONLY;
}

void OnCommand(HWND window, UINT command)
{
    if (CurrentWork() && WaitsForWork(command)) {
        MessageBeep(MB_OK);
        return;
    }
    BOOL follow = MovesRows(command);
    SelectionMark selected;
    if (follow)
        RememberSelection(&selected);
    switch (command) {
    case IDM_SCAN_CACHE:
    case IDM_LOAD_NEW_LISTING:
    case IDM_LOAD_SUBSEQUENT_SCAN:
    case IDM_COMPARE_BACKUP:
    case IDM_SAVE_LISTING:
    case IDM_SAVE_BACKUP:
    case IDM_EXPORT_CSV:
    case IDM_SAVE_FILES_TO_FOLDER:
        StartWorkCommand(window, command);
        break;
    case IDM_DELETE_ENTRY:
    case IDM_DELETE_SHOWN:
        StartDeleteCommand(window, command);
        break;
    case IDM_STOP:
        if (CurrentWork())
            StopLongWork();
        else
            MessageBeep(MB_OK);
        break;
    case IDM_REMOVE_DELETIONS:
        RemoveDeletions(window);
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
        // The window is left standing: it goes with the process. Work under way
        // stops first, leaving nothing half-written.
        StopAndWaitForLongWork();
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

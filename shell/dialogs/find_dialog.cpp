#include "find_dialog.h"
#include "app_state.h"
#include "find_text.h"
#include "resource.h"
#include "selection.h"

static const char* const NotFound = "Not found";

static void TakeRequest(HWND dialog)
{
    FindRequest* request = &g_app.lastFind;
    GetDlgItemTextA(dialog, IDC_FIND_TEXT, request->text, FIND_TEXT_BYTES);
    request->matchCase = IsDlgButtonChecked(dialog, IDC_FIND_MATCH_CASE) == BST_CHECKED;
}

// Selects the next row that matches the last request; when none does, beeps,
// moves nothing and gives FALSE.
static BOOL SelectNextMatch(BOOL forward)
{
    LONG row = FindRow(&g_app.lastFind, SelectedRow(), forward);
    if (row < 0) {
        MessageBeep(MB_OK);
        return FALSE;
    }
    SelectRow(row);
    return TRUE;
}

static void SearchFromDialog(HWND dialog, BOOL forward)
{
    TakeRequest(dialog);
    if (!g_app.lastFind.text[0])
        return;
    BOOL found = SelectNextMatch(forward);
    SetDlgItemTextA(dialog, IDC_FIND_RESULT, found ? "" : NotFound);
}

// Near the top right corner of the owner's client area, clear of the first
// columns.
static void PlaceDialog(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT client, box;
    GetClientRect(owner, &client);
    MapWindowPoints(owner, NULL, (POINT*)&client, 2);
    GetWindowRect(dialog, &box);
    int x = client.right - (box.right - box.left) - 24;
    SetWindowPos(dialog, NULL, x > client.left ? x : client.left, client.top + 24, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static INT_PTR CALLBACK FindDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_FIND_TEXT, EM_LIMITTEXT, FIND_TEXT_BYTES - 1, 0);
        SetDlgItemTextA(dialog, IDC_FIND_TEXT, g_app.lastFind.text);
        CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, g_app.lastFind.matchCase ? BST_CHECKED : BST_UNCHECKED);
        PlaceDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_FIND_NEXT:     // the default button: Enter too
            SearchFromDialog(dialog, TRUE);
            return TRUE;
        case IDC_FIND_PREVIOUS:
            SearchFromDialog(dialog, FALSE);
            return TRUE;
        case IDCANCEL:  // Close, Escape or the close box
            DestroyWindow(dialog);
            return TRUE;
        case IDC_FIND_TEXT:
            if (HIWORD(wParam) == EN_CHANGE)
                SetDlgItemTextA(dialog, IDC_FIND_RESULT, "");
            return TRUE;
        }
        break;
    case WM_DESTROY:
        g_app.findDialog = NULL;
        break;
    }
    return FALSE;
}

void ShowFindDialog(HWND owner)
{
    if (!g_app.findDialog)
        g_app.findDialog = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_FIND), owner, FindDialogProc, 0);
    HWND dialog = g_app.findDialog;
    if (!dialog)
        return;
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    SetFocus(GetDlgItem(dialog, IDC_FIND_TEXT));
    SendDlgItemMessageA(dialog, IDC_FIND_TEXT, EM_SETSEL, 0, -1);
}

void RepeatFind(HWND owner, BOOL forward)
{
    if (g_app.findDialog)
        SearchFromDialog(g_app.findDialog, forward);
    else if (g_app.lastFind.text[0])
        SelectNextMatch(forward);
    else
        ShowFindDialog(owner);
}

BOOL IsFindDialogMessage(MSG* message)
{
    return g_app.findDialog && IsDialogMessageA(g_app.findDialog, message);
}

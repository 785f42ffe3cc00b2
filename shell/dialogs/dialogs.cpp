#include "dialogs.h"
#include "app_state.h"
#include "resource.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK || wParam == IDCANCEL) {
            EndDialog(dialog, (INT_PTR)wParam);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Copies the edit field's one line into the open command. EM_GETLINE takes the
// buffer's size from its first word and copies the characters without a NUL.
static void TakeOpenCommand(HWND dialog)
{
    char line[OPEN_COMMAND_BYTES];
    WORD size = (WORD)sizeof(line);
    CopyMemory(line, &size, sizeof(size));
    LRESULT copied = SendDlgItemMessageA(dialog, IDC_OPEN_COMMAND, EM_GETLINE, 0, (LPARAM)line);
    if (copied < 0)
        copied = 0;
    if (copied > (LRESULT)sizeof(line) - 1)
        copied = sizeof(line) - 1;
    line[copied] = '\0';
    lstrcpyA(g_app.settings.openCommand, line);
}

INT_PTR CALLBACK OpenCommandDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_OPEN_COMMAND, EM_LIMITTEXT, OPEN_COMMAND_LIMIT, 0);
        SendDlgItemMessageA(dialog, IDC_OPEN_COMMAND, WM_SETTEXT, 0, (LPARAM)g_app.settings.openCommand);
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK) {
            TakeOpenCommand(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

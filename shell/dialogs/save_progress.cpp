#include "save_progress.h"
#include <commctrl.h>
#include "app_state.h"
#include "number_text.h"
#include "resource.h"

// How often the text and bar are redrawn and the dialog's messages pumped: often
// enough for Cancel to answer at once, seldom enough to cost nothing.
static const DWORD PUMP_INTERVAL_MS = 100;

static INT_PTR CALLBACK SaveProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        return TRUE;
    case WM_COMMAND:
        // Cancel, Escape or the close box: the save stops at its next report.
        if (LOWORD(wParam) == IDCANCEL) {
            SaveProgressDialog* box = (SaveProgressDialog*)GetWindowLongPtrA(dialog, GWLP_USERDATA);
            box->cancelled = TRUE;
            EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

static void ShowCounts(HWND dialog, LONG done, LONG total, ULONGLONG bytes)
{
    char doneText[GROUPED_NUMBER_BYTES], totalText[GROUPED_NUMBER_BYTES], text[128];
    FormatGroupedNumber((DWORD)done, doneText);
    FormatGroupedNumber((DWORD)total, totalText);
    ULONGLONG tenths = bytes * 10 / (1024 * 1024);
    wsprintfA(text, "%s of %s entries, %lu.%lu MB written", doneText, totalText, (DWORD)(tenths / 10),
              (DWORD)(tenths % 10));
    SetDlgItemTextA(dialog, IDC_SAVE_PROGRESS_TEXT, text);
    SendDlgItemMessageA(dialog, IDC_SAVE_PROGRESS_BAR, PBM_SETRANGE32, 0, total);
    SendDlgItemMessageA(dialog, IDC_SAVE_PROGRESS_BAR, PBM_SETPOS, done, 0);
}

static BOOL ReportSaveProgress(LONG done, LONG total, ULONGLONG bytes, void* context)
{
    SaveProgressDialog* box = (SaveProgressDialog*)context;
    DWORD now = GetTickCount();
    if (!box->dialog || (box->shown && now - box->shownAt < PUMP_INTERVAL_MS))
        return !box->cancelled;
    box->shown = TRUE;
    box->shownAt = now;
    ShowCounts(box->dialog, done, total, bytes);
    MSG message;
    while (PeekMessageA(&message, box->dialog, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(box->dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return !box->cancelled;
}

void OpenSaveProgress(SaveProgressDialog* box, HWND owner)
{
    ZeroMemory(box, sizeof *box);
    box->progress.report = ReportSaveProgress;
    box->progress.context = box;
    box->owner = owner;
    EnableWindow(owner, FALSE);
    box->dialog = CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_SAVE_PROGRESS), owner, SaveProgressProc,
                                     (LPARAM)box);
    if (box->dialog)
        ShowWindow(box->dialog, SW_SHOW);
    else
        EnableWindow(owner, TRUE);
}

void CloseSaveProgress(SaveProgressDialog* box)
{
    if (!box->dialog)
        return;
    // The owner first, so that it takes the activation back from the dialog.
    EnableWindow(box->owner, TRUE);
    DestroyWindow(box->dialog);
    box->dialog = NULL;
}

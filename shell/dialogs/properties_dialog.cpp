#include "properties_dialog.h"
#include "app_state.h"
#include "entry_details.h"
#include "resource.h"

// The header's lines: the listing keeps at most 259 characters of it.
static const int HEADER_LINES_BYTES = 1024;

static void SetTime(HWND dialog, int control, const FILETIME* time)
{
    char text[DETAIL_TEXT_BYTES];
    FormatTimeDetail(&g_app.mainListing.zone, time, text);
    SetDlgItemTextA(dialog, control, text);
}

static void FillFields(HWND dialog, const CacheEntry* entry)
{
    char text[DETAIL_TEXT_BYTES];
    SetDlgItemTextA(dialog, IDC_PROPERTY_URL, entry->url ? entry->url : "(none: a stray file)");
    SetDlgItemTextA(dialog, IDC_PROPERTY_LOCAL_FILE, entry->localFile ? entry->localFile : "(none)");
    SetDlgItemTextA(dialog, IDC_PROPERTY_STATUS, StatusWords(entry->status));
    FormatSizeDetail(entry->size, text);
    SetDlgItemTextA(dialog, IDC_PROPERTY_SIZE, text);
    SetTime(dialog, IDC_PROPERTY_LAST_ACCESS, &entry->lastAccess);
    SetTime(dialog, IDC_PROPERTY_LAST_MODIFIED, &entry->lastModified);
    SetTime(dialog, IDC_PROPERTY_LAST_SYNC, &entry->lastSync);
    SetTime(dialog, IDC_PROPERTY_EXPIRES, &entry->expireTime);
    wsprintfA(text, "%ld", (LONG)entry->hitRate);
    SetDlgItemTextA(dialog, IDC_PROPERTY_HIT_RATE, text);
    wsprintfA(text, "%ld", (LONG)entry->useCount);
    SetDlgItemTextA(dialog, IDC_PROPERTY_USE_COUNT, text);
    wsprintfA(text, "%lu seconds", entry->exemptDelta);
    SetDlgItemTextA(dialog, IDC_PROPERTY_EXEMPT, text);
    FormatFlagsDetail(entry, text);
    SetDlgItemTextA(dialog, IDC_PROPERTY_FLAGS, text);
    char lines[HEADER_LINES_BYTES];
    FormatHeaderLines(entry->headerText, lines, HEADER_LINES_BYTES);
    SetDlgItemTextA(dialog, IDC_PROPERTY_HEADER, lines);
}

static INT_PTR CALLBACK PropertiesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FillFields(dialog, (const CacheEntry*)lParam);
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;   // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void ShowProperties(HWND window, const CacheEntry* entry)
{
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_PROPERTIES), window, PropertiesDialogProc, (LPARAM)entry);
}

#include "filter_bar.h"
#include <commctrl.h>
#include "app_state.h"
#include "list_view.h"
#include "resource.h"
#include "selection.h"
#include "shown_rows.h"
#include "status_parts.h"

// The edit control's own procedure, which the box's passes everything else to.
static WNDPROC boxProcedure;

// The caption, box and button stand on the main window, so that their
// notifications reach it; null until the bar was first shown.
static HWND Part(HWND window, int id)
{
    return GetDlgItem(window, id);
}

// Esc closes the bar and Enter hands the keys to the list.
static LRESULT CALLBACK FilterBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        CloseFilterBar(GetParent(window));
        return 0;
    }
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_DOWN)) {
        SetFocus(g_app.listView);
        return 0;
    }
    if (message == WM_CHAR && (wParam == VK_ESCAPE || wParam == VK_RETURN))
        return 0;   // no beep
    return CallWindowProcA(boxProcedure, window, message, wParam, lParam);
}

static HWND MakeChild(HWND parent, DWORD extended, const char* type, const char* text, DWORD style, int id)
{
    HWND child = CreateWindowExA(extended, type, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                                 (HMENU)(INT_PTR)id, g_app.instance, NULL);
    SendMessageA(child, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return child;
}

static HWND MakeBar(HWND window)
{
    HWND caption = MakeChild(window, 0, "STATIC", "Filter:", SS_CENTERIMAGE, IDC_FILTER_CAPTION);
    HWND box = MakeChild(window, WS_EX_CLIENTEDGE, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, IDC_FILTER_TEXT);
    HWND closeButton = MakeChild(window, 0, "BUTTON", "X", BS_PUSHBUTTON, IDC_FILTER_CLOSE);
    if (!caption || !box || !closeButton) {
        DestroyWindow(caption), DestroyWindow(box), DestroyWindow(closeButton);
        return NULL;
    }
    SendMessageA(box, EM_LIMITTEXT, FILTER_TEXT_BYTES - 1, 0);
    boxProcedure = (WNDPROC)SetWindowLongPtrA(box, GWLP_WNDPROC, (LONG_PTR)FilterBoxProc);
    return box;
}

static void ShowBar(HWND window, BOOL visible)
{
    int show = visible ? SW_SHOW : SW_HIDE;
    for (int id = IDC_FILTER_CAPTION; id <= IDC_FILTER_CLOSE; id++)
        ShowWindow(Part(window, id), show);
    // Lay the window out again, the list making room or taking it back.
    RECT client;
    GetClientRect(window, &client);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void ShowFilterBar(HWND window)
{
    HWND box = Part(window, IDC_FILTER_TEXT);
    if (!box && !(box = MakeBar(window)))
        return;
    if (!IsWindowVisible(box))
        ShowBar(window, TRUE);
    SetFocus(box);
    SendMessageA(box, EM_SETSEL, 0, -1);
}

void CloseFilterBar(HWND window)
{
    HWND box = Part(window, IDC_FILTER_TEXT);
    if (!box)
        return;
    KillTimer(window, FILTER_TIMER);
    SetWindowTextA(box, "");
    ApplyFilterText(window);
    ShowBar(window, FALSE);
    SetFocus(g_app.listView);
}

int PlaceFilterBar(HWND window, int width)
{
    HWND box = Part(window, IDC_FILTER_TEXT);
    if (!box || !IsWindowVisible(box))
        return 0;
    TEXTMETRICA metrics = {};
    HDC context = GetDC(box);
    HGDIOBJ old = SelectObject(context, GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsA(context, &metrics);
    SelectObject(context, old);
    ReleaseDC(box, context);
    const int gap = 4, height = metrics.tmHeight + 10, captionWidth = 40;
    int boxWidth = width - 3 * gap - captionWidth - height - gap;
    if (boxWidth < 40)
        boxWidth = 40;
    MoveWindow(Part(window, IDC_FILTER_CAPTION), gap, gap, captionWidth, height, TRUE);
    MoveWindow(box, 2 * gap + captionWidth, gap, boxWidth, height, TRUE);
    MoveWindow(Part(window, IDC_FILTER_CLOSE), 3 * gap + captionWidth + boxWidth, gap, height, height, TRUE);
    return height + 2 * gap;
}

BOOL OnFilterBarCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!lParam)
        return FALSE;
    if ((HWND)lParam == Part(window, IDC_FILTER_TEXT)) {
        if (HIWORD(wParam) == EN_CHANGE)
            SetTimer(window, FILTER_TIMER, FILTER_DELAY_MS, NULL);
        return TRUE;
    }
    if ((HWND)lParam == Part(window, IDC_FILTER_CLOSE)) {
        if (HIWORD(wParam) == BN_CLICKED)
            CloseFilterBar(window);
        return TRUE;
    }
    return FALSE;
}

void ApplyFilterText(HWND window)
{
    KillTimer(window, FILTER_TIMER);
    char text[FILTER_TEXT_BYTES] = "";
    GetDlgItemTextA(window, IDC_FILTER_TEXT, text, sizeof text);
    ShownRows* shown = &g_app.shownRows;
    BOOL wasNarrowed = RowsNarrowed();
    SetFilterText(&shown->filter, text);
    if (!wasNarrowed && !RowsNarrowed())
        return;
    SelectionMark selected;
    RememberSelection(&selected);
    if (!RowsNarrowed())
        FreeShownRows(shown);
    // The count's part comes or goes; while it stays, the rows rewrite its text.
    if (wasNarrowed != RowsNarrowed())
        PlaceStatusParts();
    ReplaceListRows(&g_app.mainListing);
    RestoreSelection(&selected);
}

BOOL IsFilterBoxKey(const MSG* message)
{
    if (message->message != WM_KEYDOWN && message->message != WM_SYSKEYDOWN)
        return FALSE;
    if (GetDlgCtrlID(message->hwnd) != IDC_FILTER_TEXT || GetParent(message->hwnd) != GetParent(g_app.listView))
        return FALSE;
    return message->wParam < VK_F1 || message->wParam > VK_F24;
}

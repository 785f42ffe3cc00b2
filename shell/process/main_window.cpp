#include "main_window.h"
#include <commctrl.h>
#include "app_state.h"
#include "cache_delete.h"
#include "commands.h"
#include "filter_bar.h"
#include "long_work.h"
#include "work_commands.h"
#include "list_view.h"
#include "resource.h"
#include "row_menu.h"
#include "selection.h"
#include "settings.h"
#include "sort_arrow.h"
#include "status_parts.h"
#include "ui_helpers.h"

const char* const StatusInvitation = "Visit the Tallowmere web site for more free utilities";

// Builds the status bar, the list view and its columns, and sets the option
// check marks; gives -1 (the window is not created) without a list view.
static LRESULT OnCreate(HWND window, const CREATESTRUCTA* create)
{
    HMENU menu = GetMenu(window);
    InitCommonControls();

    g_app.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, StatusInvitation, WS_CHILD | WS_VISIBLE,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                                      NULL, g_app.instance, NULL);
    PlaceStatusParts();

    g_app.listView = CreateWindowExA(0, WC_LISTVIEWA, "",
                                     WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                     0, 0, 0, 0, window, (HMENU)(INT_PTR)IDC_LIST_VIEW, create->hInstance, NULL);
    SendMessageA(g_app.listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    InsertColumns();
    ShowSortArrow(g_app.settings.sortColumn, g_app.settings.sortDirection);

    CheckOption(menu, IDM_INCLUDE_STRAYS, g_app.settings.includeStrays);
    CheckOption(menu, IDM_INCLUDE_COOKIES, g_app.settings.includeCookies);
    return g_app.listView ? 0 : -1;
}

// The status bar places itself along the bottom, the filter bar when shown along
// the top; the list view fills the rest.
static void OnSize(HWND window, WPARAM wParam, LPARAM lParam)
{
    int width = (short)LOWORD(lParam);
    int height = (short)HIWORD(lParam);
    SendMessageA(g_app.statusBar, WM_SIZE, wParam, lParam);
    PlaceStatusParts();
    RECT status = {0, 0, 0, 0};
    GetClientRect(g_app.statusBar, &status);
    int top = PlaceFilterBar(window, width);
    if (g_app.listView)
        SetWindowPos(g_app.listView, NULL, 0, top, width, height - status.bottom - top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

// While work runs, the commands that must wait are grayed and Stop is offered;
// "Load as a Subsequent Scan" stays grayed always, "Delete From Cache..." unless
// the selected row is an entry of the cache.
static void OnInitMenu(HMENU menu)
{
    BOOL working = CurrentWork() != NULL;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--) {
        UINT command = GetMenuItemID(menu, i);
        if (command == IDM_STOP)
            EnableMenuItem(menu, command, MF_BYCOMMAND | (working ? MF_ENABLED : MF_GRAYED));
        else if (command == IDM_DELETE_ENTRY)
            EnableMenuItem(menu, command,
                           MF_BYCOMMAND | (!working && IsDeletableEntry(SelectedEntry()) ? MF_ENABLED : MF_GRAYED));
        else if (WaitsForWork(command) && command != IDM_LOAD_SUBSEQUENT_SCAN)
            EnableMenuItem(menu, command, MF_BYCOMMAND | (working ? MF_GRAYED : MF_ENABLED));
    }
}

static void OnDestroy(HWND window)
{
    SaveSettings(window);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window, (const CREATESTRUCTA*)lParam);
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    case WM_SIZE:
        OnSize(window, wParam, lParam);
        return 0;
    case WM_NOTIFY:
        return OnListNotify(window, wParam, (NMHDR*)lParam);
    case WM_COMMAND:
        if (!OnFilterBarCommand(window, wParam, lParam))
            OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == FILTER_TIMER)
            ApplyFilterText(window);
        return 0;
    case WM_INITMENUPOPUP:
        OnInitMenu((HMENU)wParam);
        return 0;
    case WM_WORK_PROGRESS:
        OnWorkProgress(wParam, lParam);
        return 0;
    case WM_WORK_ROWS:
        OnWorkRows((Listing*)lParam);
        return 0;
    case WM_WORK_DONE:
        OnWorkDone(window, (LongWork*)lParam);
        return 0;
    case WM_CLOSE:
        // Work under way stops first, between two entries, leaving nothing half-written.
        StopAndWaitForLongWork();
        break;
    case WM_ENDSESSION:
        if (wParam) {
            StopAndWaitForLongWork();
            SaveSettings(window);
        }
        return 0;
    case WM_CONTEXTMENU:
        if (ShowRowMenu(window, (HWND)wParam, lParam))
            return 0;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

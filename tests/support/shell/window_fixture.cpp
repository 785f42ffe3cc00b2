#include "window_fixture.h"
#include <commctrl.h>
#include "app_state.h"
#include "cache_seed.h"
#include "main_window.h"
#include "settings_key.h"
#include "startup.h"

void MainWindowTest::SetUp()
{
    ClearUrlCache();
    ClearSettingsKey();
}

void MainWindowTest::TearDown()
{
    Close();
    ClearSettingsKey();
}

HWND MainWindowTest::Open()
{
    window = StartUp(GetModuleHandleA(NULL), SW_SHOWNORMAL);
    return window;
}

void MainWindowTest::Close()
{
    if (window && IsWindow(window))
        DestroyWindow(window);
    PumpUntilIdle();
    if (window)
        ShutDown();
    UnregisterClassA(MAIN_WINDOW_CLASS, GetModuleHandleA(NULL));
    window = NULL;
}

int MainWindowTest::RowCount()
{
    return (int)SendMessageA(g_app.listView, LVM_GETITEMCOUNT, 0, 0);
}

std::string MainWindowTest::Cell(int row, int column)
{
    char text[512] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(g_app.listView, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}

std::vector<std::string> MainWindowTest::Column(int column)
{
    std::vector<std::string> cells;
    for (int row = 0; row < RowCount(); row++)
        cells.push_back(Cell(row, column));
    return cells;
}

std::string MainWindowTest::StatusText(int part)
{
    char text[512] = "";
    if (LOWORD(SendMessageA(g_app.statusBar, SB_GETTEXTLENGTHA, part, 0)) >= sizeof(text))
        return "(too long)";
    SendMessageA(g_app.statusBar, SB_GETTEXTA, part, (LPARAM)text);
    return text;
}

void MainWindowTest::ClickHeader(int column)
{
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = g_app.listView;
    click.hdr.idFrom = 100;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(window, WM_NOTIFY, 100, (LPARAM)&click);
}

bool MainWindowTest::PumpUntilIdle()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return true;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return false;
}

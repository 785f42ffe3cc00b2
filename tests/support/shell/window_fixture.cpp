#include "window_fixture.h"
#include <string.h>
#include <commctrl.h>
#include "app_state.h"
#include "long_work.h"
#include "cache_seed.h"
#include "main_window.h"
#include "resource.h"
#include "settings_key.h"
#include "startup.h"

HWND MainWindowTest::window = NULL;
std::vector<ShownWindow> MainWindowTest::shown;
std::deque<std::function<void(HWND)>> MainWindowTest::actions;

static std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Notes every dialog and message box of the thread when it becomes active and
// hands it to the next action, or closes it with OK.
static LRESULT CALLBACK AnswerModalWindows(int code, WPARAM wParam, LPARAM lParam)
{
    HWND box = (HWND)wParam;
    char name[32] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(box, name, sizeof(name)) && strcmp(name, "#32770") == 0 &&
        !GetPropA(box, "noted")) {
        SetPropA(box, "noted", (HANDLE)1);
        MainWindowTest::shown.push_back({WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))});
        std::function<void(HWND)> action = [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); };
        if (!MainWindowTest::actions.empty())
            action = MainWindowTest::actions.front(), MainWindowTest::actions.pop_front();
        action(box);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

void MainWindowTest::SetUp()
{
    ClearUrlCache(), ClearSettingsKey();
    shown.clear(), actions.clear();
}

void MainWindowTest::TearDown()
{
    Close();
    ClearSettingsKey();
}

HWND MainWindowTest::Open()
{
    static HHOOK hook = SetWindowsHookExA(WH_CBT, AnswerModalWindows, NULL, GetCurrentThreadId());
    EXPECT_NE(hook, nullptr);
    window = StartUp(GetModuleHandleA(NULL), SW_SHOWNORMAL);
    WaitForWork();
    return window;
}

void MainWindowTest::Close()
{
    if (!window)
        return;
    if (IsWindow(window))
        DestroyWindow(window);
    PumpUntilIdle();
    ShutDown();
    UnregisterClassA(MAIN_WINDOW_CLASS, GetModuleHandleA(NULL));
    window = NULL;
}

bool MainWindowTest::Checked(UINT id)
{
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

int MainWindowTest::RowCount()
{
    return (int)SendMessageA(g_app.listView, LVM_GETITEMCOUNT, 0, 0);
}

std::string MainWindowTest::Cell(int row, int column)
{
    char text[512] = "";
    LVITEMA item = {};
    item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof(text);
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
    click.hdr = {g_app.listView, IDC_LIST_VIEW, (UINT)LVN_COLUMNCLICK}, click.iItem = -1, click.iSubItem = column;
    SendMessageA(window, WM_NOTIFY, IDC_LIST_VIEW, (LPARAM)&click);
}

bool MainWindowTest::WaitForWork()
{
    for (DWORD start = GetTickCount(); CurrentWork() && GetTickCount() - start < 60000;) {
        MSG message;
        if (!PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return !CurrentWork();
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

#include "window_fixture.h"
#include <string.h>
#include <algorithm>
#include "main_window.h"

HWND MainWindowTest::window = NULL;
std::vector<ShownWindow> MainWindowTest::shown;
std::deque<std::function<void(HWND)>> MainWindowTest::actions;
std::string MainWindowTest::answer;
Texts MainWindowTest::requests, MainWindowTest::shellCalls;

std::string SystemText(DWORD code)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text, sizeof(text), NULL);
    return std::string(text, strcspn(text, "\r\n"));
}

static BOOL WINAPI AnswerFileDialog(LPOPENFILENAMEA request)
{
    MainWindowTest::requests.push_back(std::string(request->lpstrFilter) + "|" +
                                       (request->lpstrDefExt ? request->lpstrDefExt : "-") + "|" + request->lpstrFile);
    lstrcpynA(request->lpstrFile, MainWindowTest::answer.c_str(), request->nMaxFile);
    return !MainWindowTest::answer.empty();
}

static HINSTANCE WINAPI RecordShellCall(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
{
    MainWindowTest::shellCalls.push_back(std::string(verb) + " " + file +
                                         (parameters ? " [" + std::string(parameters) + "]" : "") + " show " +
                                         std::to_string(show));
    return (HINSTANCE)33;
}

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
    shown.clear(), actions.clear(), answer.clear(), requests.clear(), shellCalls.clear();
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
    g_app.openFileDialog = g_app.saveFileDialog = AnswerFileDialog;
    g_app.shellExecute = RecordShellCall;
    return window;
}

void MainWindowTest::Close()
{
    if (!window)
        return;
    if (IsWindow(window))
        DestroyWindow(window);
    MSG message;    // up to the quit message
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) && message.message != WM_QUIT)
        DispatchMessageA(&message);
    ShutDown();
    UnregisterClassA(MAIN_WINDOW_CLASS, GetModuleHandleA(NULL));
    window = NULL;
}

std::string MainWindowTest::Cell(int row, int column)
{
    char text[512] = "";
    LVITEMA item = {};
    item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof(text);
    SendMessageA(g_app.listView, LVM_GETITEMTEXTA, row, (LPARAM)&item);
    return text;
}

void MainWindowTest::Select(int row)
{
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = row < 0 ? 0 : state.stateMask;
    SendMessageA(g_app.listView, LVM_SETITEMSTATE, row, (LPARAM)&state);
}

int MainWindowTest::RowOf(const std::string& url)
{
    Texts urls = Column(1);
    return (int)(std::find(urls.begin(), urls.end(), url) - urls.begin());
}

Texts MainWindowTest::Column(int column)
{
    Texts cells;
    for (int row = 0; row < RowCount(); row++)
        cells.push_back(Cell(row, column));
    return cells;
}

StatusMap MainWindowTest::Cells(int column)
{
    StatusMap cells;
    for (int row = 0; row < RowCount(); row++)
        cells[Cell(row, 1).empty() ? Cell(row, 3) : Cell(row, 1)] = Cell(row, column);
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

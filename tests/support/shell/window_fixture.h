// The real main window in the test process: started as the program starts it, read back from its
// controls, its modal windows, file dialogs and shell calls answered, ended in order. One per process:
// window and logs are shared. Also the program's registry key in the test prefix's real registry.
#ifndef BRINDLEWICK_TEST_WINDOW_FIXTURE_H
#define BRINDLEWICK_TEST_WINDOW_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string.h>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "long_work.h"
#include "main_window.h"
#include "resource.h"
#include "startup.h"

typedef std::vector<std::string> Texts;
typedef std::map<std::string, std::string> StatusMap;
const std::string Site = "http://www.example.com/";

// Seeds the entry Site + name with the content "x"; gives its local file, or "" when WinINet refused.
inline std::string Seed(const std::string& name, const std::string& header = "", const std::string& extension = "")
{
    return SeedCacheEntry({Site + name, "x", NORMAL_ENTRY, header, {0, 0}, {0, 0}, extension});
}

// The system's sentence for an error code, up to its line break.
inline std::string SystemText(DWORD code)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text, sizeof(text), NULL);
    return std::string(text, strcspn(text, "\r\n"));
}

// The program's registry key in the test prefix's real registry: emptied, a value written, a value looked for.
const char* const SettingsKey = "Software\\Tallowmere\\Brindlewick";
inline void ClearSettingsKey() { RegDeleteTreeA(HKEY_CURRENT_USER, SettingsKey); }
inline void PutSetting(const char* name, DWORD type, const void* data, DWORD size)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, SettingsKey, name, type, data, size);
}
inline void PutDwordSetting(const char* name, DWORD value) { PutSetting(name, REG_DWORD, &value, sizeof(value)); }
inline bool HasSetting(const char* name)
{
    return RegGetValueA(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_ANY, NULL, NULL, NULL) == ERROR_SUCCESS;
}

inline std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// A message box or dialog as it first became active: its caption and text (a dialog's first static text).
struct ShownWindow { std::string caption, text; };

struct MainWindowTest : ::testing::Test {
    static inline HWND window = NULL;
    static inline std::vector<ShownWindow> shown;
    // Run in order for the next modal windows; one with none left gets OK.
    static inline std::deque<std::function<void(HWND)>> actions;
    // The file dialogs give back `answer` (empty: the user cancels) and note each request as
    // "filter|default extension|start name"; shell calls are noted as "verb file [parameters] show n".
    static inline std::string answer;
    static inline Texts requests, shellCalls;

    // An empty cache, no settings key, nothing noted.
    void SetUp() override
    {
        ClearUrlCache(), ClearSettingsKey();
        shown.clear(), actions.clear(), answer.clear(), requests.clear(), shellCalls.clear();
    }
    void TearDown() override { Close(), ClearSettingsKey(); }

    static BOOL WINAPI AnswerFileDialog(LPOPENFILENAMEA request)
    {
        const char* extension = request->lpstrDefExt ? request->lpstrDefExt : "-";
        requests.push_back(std::string(request->lpstrFilter) + "|" + extension + "|" + request->lpstrFile);
        lstrcpynA(request->lpstrFile, answer.c_str(), request->nMaxFile);
        return !answer.empty();
    }
    static HINSTANCE WINAPI RecordShellCall(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
    {
        std::string with = parameters ? " [" + std::string(parameters) + "]" : "";
        shellCalls.push_back(std::string(verb) + " " + file + with + " show " + std::to_string(show));
        return (HINSTANCE)33;
    }
    // Notes every dialog and message box of the thread when it becomes active and hands it to the next action,
    // or closes it with OK.
    static LRESULT CALLBACK AnswerModalWindows(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND box = (HWND)wParam;
        char name[32] = "";
        if (code == HCBT_ACTIVATE && GetClassNameA(box, name, sizeof(name)) && strcmp(name, "#32770") == 0 &&
            !GetPropA(box, "noted")) {
            SetPropA(box, "noted", (HANDLE)1);
            shown.push_back({WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))});
            std::function<void(HWND)> action = [](HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); };
            if (!actions.empty())
                action = actions.front(), actions.pop_front();
            action(box);
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }

    // Start-up up to the message loop, the first scan included; then the dialogs and the shell are answered.
    static HWND Open()
    {
        static HHOOK hook = SetWindowsHookExA(WH_CBT, AnswerModalWindows, NULL, GetCurrentThreadId());
        EXPECT_NE(hook, nullptr);
        window = StartUp(GetModuleHandleA(NULL), SW_SHOWNORMAL);
        g_app.openFileDialog = g_app.saveFileDialog = AnswerFileDialog;
        g_app.shellExecute = RecordShellCall;
        WaitForWork();
        return window;
    }
    // Destroys the window if it stands, lets the quit message through, frees what start-up made.
    static void Close()
    {
        if (!window)
            return;
        if (IsWindow(window))
            DestroyWindow(window);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE) && message.message != WM_QUIT)
            DispatchMessageA(&message);
        ShutDown();
        UnregisterClassA(MAIN_WINDOW_CLASS, GetModuleHandleA(NULL));
        window = NULL;
    }
    // A command, and the long work it starts run to its end.
    static void Command(UINT id) { SendMessageA(window, WM_COMMAND, id, 0), WaitForWork(); }
    // Pumps the thread's messages until no long work runs (at most a minute).
    static bool WaitForWork()
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
    static bool Checked(UINT id) { return GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED; }

    static int RowCount() { return (int)SendMessageA(g_app.listView, LVM_GETITEMCOUNT, 0, 0); }
    static int Selected() { return (int)SendMessageA(g_app.listView, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }
    // Selects the row as a click does, or with -1 clears the selection.
    static void Select(int row)
    {
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = row < 0 ? 0 : state.stateMask;
        SendMessageA(g_app.listView, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
    static std::string Cell(int row, int column)
    {
        char text[512] = "";
        LVITEMA item = {};
        item.iSubItem = column, item.pszText = text, item.cchTextMax = sizeof(text);
        SendMessageA(g_app.listView, LVM_GETITEMTEXTA, row, (LPARAM)&item);
        return text;
    }
    static int RowOf(const std::string& url)
    {
        int row = 0;
        while (row < RowCount() && Cell(row, 1) != url)
            row++;
        return row;
    }
    // The column's cell of each row by its URL (a stray's by its local file).
    static StatusMap Cells(int column = 2)
    {
        StatusMap cells;
        for (int row = 0; row < RowCount(); row++)
            cells[Cell(row, 1).empty() ? Cell(row, 3) : Cell(row, 1)] = Cell(row, column);
        return cells;
    }
    static std::string StatusText(int part)
    {
        char text[512] = "";
        if (LOWORD(SendMessageA(g_app.statusBar, SB_GETTEXTLENGTHA, part, 0)) >= sizeof(text))
            return "(too long)";
        SendMessageA(g_app.statusBar, SB_GETTEXTA, part, (LPARAM)text);
        return text;
    }
    // What the main window answers to a header click on the column.
    static void ClickHeader(int column)
    {
        NMLISTVIEW click = {};
        click.hdr = {g_app.listView, IDC_LIST_VIEW, (UINT)LVN_COLUMNCLICK}, click.iItem = -1, click.iSubItem = column;
        SendMessageA(window, WM_NOTIFY, IDC_LIST_VIEW, (LPARAM)&click);
    }
};

#endif

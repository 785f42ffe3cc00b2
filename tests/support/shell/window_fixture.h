// The real main window in the test process: started as the program starts it, read back from its
// controls, its modal windows, file dialogs and shell calls answered, ended in order. One per process:
// window and logs are shared. Also the program's registry key in the test prefix's real registry.
#ifndef BRINDLEWICK_TEST_WINDOW_FIXTURE_H
#define BRINDLEWICK_TEST_WINDOW_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
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
std::string SystemText(DWORD code);

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

// A message box or dialog as it first became active: its caption and text (a dialog's first static text).
struct ShownWindow { std::string caption, text; };

struct MainWindowTest : ::testing::Test {
    static HWND window;
    static std::vector<ShownWindow> shown;
    // Run in order for the next modal windows; one with none left gets OK.
    static std::deque<std::function<void(HWND)>> actions;
    // The file dialogs give back `answer` (empty: the user cancels) and note each request as
    // "filter|default extension|start name"; shell calls are noted as "verb file [parameters] show n".
    static std::string answer;
    static Texts requests, shellCalls;

    // An empty cache, no settings key, nothing noted.
    void SetUp() override;
    void TearDown() override;

    // Start-up up to the message loop, the first scan included; then the dialogs and the shell are answered.
    static HWND Open();
    // Destroys the window if it stands, lets the quit message through, frees what start-up made.
    static void Close();
    static void Command(UINT id) { SendMessageA(window, WM_COMMAND, id, 0); }
    static bool Checked(UINT id) { return GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED; }

    static int RowCount() { return (int)SendMessageA(g_app.listView, LVM_GETITEMCOUNT, 0, 0); }
    static int Selected() { return (int)SendMessageA(g_app.listView, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }
    // Selects the row as a click does, or with -1 clears the selection.
    static void Select(int row);
    static int RowOf(const std::string& url);
    static std::string Cell(int row, int column);
    static Texts Column(int column);
    // The column's cell of each row by its URL (a stray's by its local file).
    static StatusMap Cells(int column = 2);
    static std::string StatusText(int part);
    // What the main window answers to a header click on the column.
    static void ClickHeader(int column);
};

#endif

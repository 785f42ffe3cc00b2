#include "command_fixture.h"
#include <string.h>
#include <algorithm>
#include <set>
#include <commctrl.h>
#include <wininet.h>
#include "app_state.h"
#include "cache_seed.h"

std::vector<ShownWindow> CommandWindowTest::shown;
std::deque<std::function<void(HWND)>> CommandWindowTest::actions;
std::vector<FileRequest> CommandWindowTest::openRequests;
std::vector<FileRequest> CommandWindowTest::saveRequests;
std::string CommandWindowTest::answer;
std::vector<ShellCall> CommandWindowTest::shellCalls;

namespace {

std::set<HWND> answered;

std::string WindowText(HWND window)
{
    char text[1024] = "";
    if (window)
        GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Every dialog and message box of the thread is noted when it first becomes
// active and then handled by the next action, or closed with OK.
LRESULT CALLBACK AnswerModalWindows(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = (HWND)wParam;
    char name[32] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(window, name, sizeof(name)) && strcmp(name, "#32770") == 0 &&
        answered.insert(window).second) {
        CommandWindowTest::shown.push_back({WindowText(window), WindowText(GetDlgItem(window, 0xFFFF))});
        if (CommandWindowTest::actions.empty()) {
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        } else {
            auto action = CommandWindowTest::actions.front();
            CommandWindowTest::actions.pop_front();
            action(window);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

std::string FilterPairs(const char* filter)
{
    std::string pairs;
    for (const char* part = filter; part && *part; part += strlen(part) + 1)
        pairs.append(part, strlen(part) + 1);
    if (filter)
        pairs += '\0';
    return pairs;
}

// Notes the request as far as its size field says, then answers like the system:
// the chosen name in the buffer, or FALSE for a cancel.
BOOL Answer(std::vector<FileRequest>* log, LPOPENFILENAMEA request)
{
    FileRequest noted = {};
    memcpy(&noted.record, request, std::min<size_t>(request->lStructSize, sizeof(noted.record)));
    noted.filter = FilterPairs(request->lpstrFilter);
    noted.startName = request->lpstrFile;
    log->push_back(noted);
    if (CommandWindowTest::answer.empty())
        return FALSE;
    lstrcpynA(request->lpstrFile, CommandWindowTest::answer.c_str(), request->nMaxFile);
    return TRUE;
}

BOOL WINAPI AnswerOpen(LPOPENFILENAMEA request)
{
    return Answer(&CommandWindowTest::openRequests, request);
}

BOOL WINAPI AnswerSave(LPOPENFILENAMEA request)
{
    return Answer(&CommandWindowTest::saveRequests, request);
}

HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR, LPCSTR file, LPCSTR parameters, LPCSTR, INT show)
{
    CommandWindowTest::shellCalls.push_back({file, parameters ? parameters : "(none)", show});
    return (HINSTANCE)33;
}

}  // namespace

void CommandWindowTest::SetUp()
{
    MainWindowTest::SetUp();
    ClearCacheFolders();
    shown.clear();
    actions.clear();
    openRequests.clear();
    saveRequests.clear();
    answer.clear();
    shellCalls.clear();
    answered.clear();
    hook = SetWindowsHookExA(WH_CBT, AnswerModalWindows, NULL, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
}

void CommandWindowTest::TearDown()
{
    MainWindowTest::TearDown();
    UnhookWindowsHookEx(hook);
    ClearUrlCache();
    ClearCacheFolders();
}

HWND CommandWindowTest::OpenWindow()
{
    if (!Open())
        return NULL;
    g_app.openFileDialog = AnswerOpen;
    g_app.saveFileDialog = AnswerSave;
    g_app.shellExecute = RecordShellExecute;
    return window;
}

void CommandWindowTest::Command(UINT id)
{
    SendMessageA(window, WM_COMMAND, id, 0);
}

static std::string RowKey(int row)
{
    std::string url = MainWindowTest::Cell(row, 1);
    return url.empty() ? MainWindowTest::Cell(row, 3) : url;
}

int CommandWindowTest::RowOf(const std::string& key)
{
    for (int row = 0; row < RowCount(); row++) {
        if (RowKey(row) == key)
            return row;
    }
    return -1;
}

std::string CommandWindowTest::StatusOf(const std::string& key)
{
    int row = RowOf(key);
    return row < 0 ? "(no row)" : Cell(row, 2);
}

std::map<std::string, std::string> CommandWindowTest::Statuses()
{
    std::map<std::string, std::string> statuses;
    for (int row = 0; row < RowCount(); row++)
        statuses[RowKey(row)] = Cell(row, 2);
    return statuses;
}

bool CommandWindowTest::Checked(HWND window, UINT id)
{
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void CommandWindowTest::DoubleClickRow(int row)
{
    RECT place = {};
    place.left = LVIR_BOUNDS;
    SendMessageA(g_app.listView, LVM_GETITEMRECT, row, (LPARAM)&place);
    SendMessageA(g_app.listView, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(place.left + 10, (place.top + place.bottom) / 2));
}

std::string SeedUrl(const std::string& url, const std::string& extension)
{
    SeedEntry entry;
    entry.url = url;
    entry.extension = extension;
    return SeedCacheEntry(entry);
}

std::string CacheSubfolder()
{
    SeedEntry probe;
    probe.url = "http://brindlewick.test/probe.txt";
    std::string file = SeedCacheEntry(probe);
    DeleteUrlCacheEntryA(probe.url.c_str());
    return file.substr(0, file.rfind('\\') + 1);
}

void ClearCacheFolders()
{
    std::string subfolder = CacheSubfolder();
    std::string cache = subfolder.substr(0, subfolder.rfind('\\', subfolder.size() - 2) + 1);
    WIN32_FIND_DATAA folder;
    HANDLE folders = FindFirstFileA((cache + "*").c_str(), &folder);
    if (folders == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(folder.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || folder.cFileName[0] == '.')
            continue;
        std::string path = cache + folder.cFileName + "\\";
        WIN32_FIND_DATAA file;
        HANDLE files = FindFirstFileA((path + "*").c_str(), &file);
        if (files == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && lstrcmpiA(file.cFileName, "desktop.ini") != 0)
                DeleteFileA((path + file.cFileName).c_str());
        } while (FindNextFileA(files, &file));
        FindClose(files);
    } while (FindNextFileA(folders, &folder));
    FindClose(folders);
}

std::string SystemText(DWORD code)
{
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text,
                                  sizeof(text), NULL);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        length--;
    return std::string(text, length);
}

MadeFile::MadeFile(const std::string& path, const std::string& content) : path(path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
        CloseHandle(file);
    }
}

MadeFile::~MadeFile()
{
    DeleteFileA(path.c_str());
}

// The command line for scripts, the comparison it shares with "Compare with Backup File...", and the window's saves.
#include <windows.h>
#include <wininet.h>
#include <map>
#include <sstream>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "command_line.h"
#include "error_text.h"
#include "long_work.h"
#include "safe_file.h"
#include "resource.h"
#include "settings_key.h"
#include "window_fixture.h"

namespace {

const std::string Site = "http://www.example.com/";
typedef std::map<std::string, std::string> StatusMap;

std::string SystemText(DWORD code)
{
    char text[ERROR_TEXT_BYTES];
    SystemErrorText(code, text);
    return text;
}

int windowsMade = 0;
LRESULT CALLBACK CountWindows(int code, WPARAM wParam, LPARAM lParam)
{
    windowsMade += code == HCBT_CREATEWND;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

struct RunResult { int exitCode; std::string output, errors; };

// Runs the switches in this process, or with `asProgram` as the program started by a script, with both outputs in
// files. No window may appear and no setting be written.
RunResult RunSwitches(std::vector<std::string> arguments, bool asProgram = false)
{
    TempFile output("brindlewick stdout.txt"), errors("brindlewick stderr.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    STARTUPINFOA start = {};
    start.cb = sizeof(start), start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = CreateFileA(output.path.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, NULL);
    start.hStdError = CreateFileA(errors.path.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, NULL);
    char self[MAX_PATH];
    std::string line(self, GetModuleFileNameA(NULL, self, MAX_PATH));
    line = "\"" + line.substr(0, line.rfind('\\')) + "\\..\\brindlewick.exe\"";
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]), line += " \"" + argument + "\"";
    HHOOK hook = SetWindowsHookExA(WH_CBT, CountWindows, NULL, GetCurrentThreadId());
    windowsMade = 0;
    RunResult run = {-1, "", ""};
    PROCESS_INFORMATION process;
    if (!asProgram) {
        run.exitCode = RunCommandLine((int)argv.size(), argv.data(), start.hStdOutput,
                                      start.hStdError);
    } else if (CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &start, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, (DWORD*)&run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    UnhookWindowsHookEx(hook);
    CloseHandle(start.hStdOutput);
    CloseHandle(start.hStdError);
    std::vector<BYTE> stored;
    DWORD type;
    EXPECT_EQ(windowsMade, 0);
    EXPECT_FALSE(GetSetting("Window Metrics", &stored, &type));
    return {run.exitCode, output.Read(), errors.Read()};
}

// URL -> status word of every line of a report.
StatusMap ReportStatuses(const std::string& report)
{
    StatusMap statuses;
    std::istringstream lines(report.substr(report.find("-\r\n") + 3));
    for (std::string line; std::getline(lines, line);)
        statuses[line.substr(line.find("dy ") + 3, line.size() - line.find("dy ") - 4)] = line.substr(6, line.find(' ', 6) - 6);
    return statuses;
}

// The file dialogs give back `answer`; each request is noted as "filter|default extension|start name".
std::string answer;
std::vector<std::string> requests;
BOOL WINAPI AnswerFileDialog(LPOPENFILENAMEA request)
{
    requests.push_back(std::string(request->lpstrFilter) + "|" + (request->lpstrDefExt ? request->lpstrDefExt : "-") +
                       "|" + request->lpstrFile);
    lstrcpynA(request->lpstrFile, answer.c_str(), request->nMaxFile);
    return TRUE;
}

// The save's first write waits until the test lets it go, so that Stop arrives while the save runs.
HANDLE writeGate = NULL;
BOOL WINAPI GatedWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    WaitForSingleObject(writeGate, 60000);
    return WriteFile(file, bytes, count, written, overlapped);
}

std::string Seed(const std::string& name)
{
    SeedEntry entry;
    entry.url = Site + name;
    entry.content = "content of " + name;
    return SeedCacheEntry(entry);
}

}  // namespace

// A backup at night; by morning entries came, went, were visited, updated and touched: /since tells which, and so
// does the window. Its own backup shows progress over the disabled window, can be cancelled and counts missing files.
TEST_F(MainWindowTest, ANightlyArchiveAndAChangeReportAgreeWithTheWindow)
{
    std::string keep = Seed("keep.htm");
    for (const char* name : {"gone.htm", "visit.htm", "update.htm", "counters.htm"})
        ASSERT_NE(Seed(name), "") << name;
    TempFile night("brindlewick night.cbf"), changes("brindlewick changes.txt"), csv("brindlewick night.csv");
    EXPECT_EQ(RunSwitches({"/backup", night.path}).exitCode, 0);
    ASSERT_NE(Seed("new.htm"), "");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    FILETIME later = MakeFileTime(2031, 5, 6, 7, 8, 9);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "visit.htm", &later, NULL, NULL));
    ASSERT_TRUE(SetCacheEntryTimes(Site + "update.htm", NULL, &later, NULL));
    ASSERT_TRUE(SetCacheEntryCounters(Site + "counters.htm", 9, 0));
    EXPECT_EQ(RunSwitches({"/SINCE", night.path, "/changed", "/report", changes.path}).exitCode, 0);
    EXPECT_EQ(ReportStatuses(changes.Read()), (StatusMap{{Site + "new.htm", "Added"}, {Site + "gone.htm", "Del'd"},
                                                          {Site + "visit.htm", "Rvstd"}, {Site + "update.htm", "Updated"},
                                                          {Site + "counters.htm", "Chngd"}}));

    ASSERT_TRUE(Open());
    g_app.openFileDialog = g_app.saveFileDialog = AnswerFileDialog;
    answer = night.path;
    Command(IDM_COMPARE_BACKUP);
    auto cells = [](int column) {
        StatusMap byUrl;
        for (int row = 0; row < RowCount(); row++)
            byUrl[Cell(row, 1)] = Cell(row, column);
        return byUrl;
    };
    EXPECT_EQ(cells(2), (StatusMap{{Site + "keep.htm", ""}, {Site + "new.htm", "Added"}, {Site + "gone.htm", "Deleted"},
                                   {Site + "visit.htm", "Rvst'd"}, {Site + "update.htm", "Updated"},
                                   {Site + "counters.htm", "Chnged"}}));
    EXPECT_EQ(cells(3)[Site + "keep.htm"], keep);

    // Stopped while it writes, the save leaves the old archive byte for byte and no temporary file; the commands
    // that must wait are refused meanwhile, and Stop is offered only while work runs.
    std::string before = night.Read();
    ASSERT_NE(SeedCacheEntry(SeedEntry(Site + "big.htm", std::string(200000, 'b'))), "");  // more than one write
    Command(IDM_SCAN_CACHE);
    writeGate = CreateEventA(NULL, TRUE, FALSE, NULL);
    SafeFileWrite = GatedWrite;
    SendMessageA(window, WM_COMMAND, IDM_SAVE_BACKUP, 0);
    HMENU action = GetSubMenu(GetMenu(window), 0);
    SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)action, 0);
    EXPECT_EQ(GetMenuState(action, IDM_SCAN_CACHE, MF_BYCOMMAND) & MF_GRAYED, (UINT)MF_GRAYED);
    EXPECT_EQ(GetMenuState(action, IDM_STOP, MF_BYCOMMAND) & MF_GRAYED, 0u);
    SendMessageA(window, WM_COMMAND, IDM_SCAN_CACHE, 0);
    SendMessageA(window, WM_COMMAND, IDM_STOP, 0);
    SetEvent(writeGate);
    EXPECT_TRUE(WaitForWork());
    SafeFileWrite = WriteFile;
    CloseHandle(writeGate);
    EXPECT_EQ(requests.back(), "Cache Backup Files|cbf|.cbf");
    EXPECT_EQ(night.Read(), before);
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((night.path.substr(0, night.path.rfind('\\') + 1) + "~bw*.tmp").c_str(), &found),
              INVALID_HANDLE_VALUE);
    SendMessageA(window, WM_INITMENUPOPUP, (WPARAM)action, 0);
    EXPECT_EQ(GetMenuState(action, IDM_SCAN_CACHE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(action, IDM_STOP, MF_BYCOMMAND) & MF_GRAYED, (UINT)MF_GRAYED);
    ASSERT_TRUE(DeleteFileA(keep.c_str()));
    Command(IDM_SAVE_BACKUP);
    EXPECT_NE(night.Read(), before);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text.substr(0, 40), "1 of the 6 entries saved are without the");
    answer = csv.path;
    Command(IDM_EXPORT_CSV);
    EXPECT_EQ(requests.back(), "CSV Files|csv|.csv");
    EXPECT_EQ(csv.Read().substr(0, 21), "\xEF\xBB\xBF" "Entry #,URL,Status");
}

// Every wrong use and every failure exits with its code and says why; "-" is standard output.
TEST_F(MainWindowTest, EveryUsageAndFailureExitsWithItsCode)
{
    ASSERT_NE(Seed("a.htm"), "");
    ASSERT_NE(Seed("b.htm"), "");
    FILETIME later = MakeFileTime(2031, 5, 6);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "b.htm", &later, NULL, NULL));    // first by the default order
    PutDwordSetting("Sort Column", 1);      // by URL
    PutDwordSetting("Sort Direction", 0);
    TempFile notes("brindlewick notes.cbf");
    ASSERT_TRUE(notes.Write("These are notes, not a cache backup file."));
    const std::string missing = notes.path + ".missing", noFolder = "C:\\no such folder\\report.txt";
    const struct { std::vector<std::string> arguments; bool asProgram; int exitCode; std::string output, error; } cases[] = {
        {{"/?"}, false, 0, "Usage: brindlewick [/since FILE.cbf]", ""},
        {{"/report", "-", "/bogus"}, true, 1, "", "Unknown switch: /bogus\r\n\r\nUsage:"},
        {{"/report"}, false, 1, "", "/report needs a file name.\r\n\r\nUsage:"},
        {{"/changed", "/csv"}, false, 1, "", "/csv needs a file name."},
        {{"/changed", "/strays"}, false, 1, "", "Nothing to write: give /report, /csv, /jsonl, /bodyfile or /backup."},
        {{"/history", "/csv", "-"}, false, 1, "", "/history needs a file or folder name."},
        {{"/history", notes.path, "/csv", "-", "/report", "-"}, false, 1, "", "/history takes no /since, /report,"},
        {{"/history", notes.path, "/csv", "-", "/jsonl", "-"}, false, 1, "", "/history writes its files together"},
        {{"/backup", "-"}, false, 1, "", "/backup needs a file name: a backup file cannot go to standard output."},
        {{"/since", missing, "/report", "-"}, false, 2, "",
         "Couldn't read the cache backup file \"" + missing + "\": " + SystemText(ERROR_FILE_NOT_FOUND) + "\r\n"},
        {{"/since", notes.path, "/report", "-"}, false, 2, "",
         "Couldn't read the cache backup file \"" + notes.path + "\": " + SystemText(ERROR_INVALID_DATA) + "\r\n"},
        {{"/report", noFolder, "/csv", "-"}, false, 2, "\xEF\xBB\xBF",    // the CSV is written after the failure
         "Couldn't write \"" + noFolder + "\": " + SystemText(ERROR_PATH_NOT_FOUND) + "\r\n"},
        {{"/report", "-"}, true, 0, "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n", ""},
        {{"/jsonl", "-"}, false, 0, "{\"entry\":", ""},
        {{"/bodyfile", "-"}, false, 0, "0|" + Site + "a.htm|", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + (c.arguments.size() > 1 ? c.arguments[1] : ""));
        RunResult run = RunSwitches(c.arguments, c.asProgram);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.output.substr(0, c.output.size()), c.output);
        EXPECT_EQ(run.errors.substr(0, c.error.size()), c.error);
        EXPECT_EQ(run.errors.empty(), c.error.empty());
        EXPECT_LE(run.output.find(Site + "a.htm"), run.output.find(Site + "b.htm"));    // the stored order, by URL
    }
}

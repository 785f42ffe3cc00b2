// The command line for scripts, and the comparison it shares with "Compare with Backup File...".
#include <windows.h>
#include <wininet.h>
#include <map>
#include <sstream>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "command_line.h"
#include "messages.h"
#include "resource.h"
#include "safe_file.h"
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

// The stored values, to be found unchanged after a run.
std::vector<std::vector<BYTE>> StoredSettings()
{
    std::vector<std::vector<BYTE>> values;
    for (const char* name : {"Include Strays", "Include Cookies", "Sort Column", "Sort Direction", "Window Metrics",
                             "Column Widths", "Open Command"}) {
        DWORD type = 0;
        values.emplace_back();
        if (!GetSetting(name, &values.back(), &type))
            values.back() = {0xEE};
    }
    return values;
}

struct RunResult {
    int exitCode;
    std::string output, errors;
};

// Runs the command line in this process with its two outputs in files; no window may appear, no setting change.
RunResult RunSwitches(std::vector<std::string> arguments)
{
    TempFile output("brindlewick stdout.txt"), errors("brindlewick stderr.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE handles[2];
    for (int i = 0; i < 2; i++)
        handles[i] = CreateFileA((i ? errors : output).path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, 0, NULL);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    auto settings = StoredSettings();
    HHOOK hook = SetWindowsHookExA(WH_CBT, CountWindows, NULL, GetCurrentThreadId());
    windowsMade = 0;
    RunResult run = {RunCommandLine(GetModuleHandleA(NULL), (int)argv.size(), argv.data(), handles[0], handles[1]), "", ""};
    UnhookWindowsHookEx(hook);
    CloseHandle(handles[0]);
    CloseHandle(handles[1]);
    EXPECT_EQ(windowsMade, 0);
    EXPECT_EQ(StoredSettings(), settings);
    run.output = output.Read();
    run.errors = errors.Read();
    return run;
}

// Report line -> URL and status word, for every line after the header.
StatusMap ReportStatuses(const std::string& report)
{
    StatusMap statuses;
    std::istringstream lines(report.substr(report.find("-\r\n") + 3));
    for (std::string line; std::getline(lines, line);)
        statuses[line.substr(line.find("dy ") + 3, line.size() - line.find("dy ") - 4)] = line.substr(6, line.find(' ', 6) - 6);
    return statuses;
}

BOOL WINAPI FullDisk(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED)
{
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// The file dialogs answered with `answer`; each request noted as "filter|default extension|start name".
std::string answer;
std::vector<std::string> requests;
BOOL WINAPI AnswerFileDialog(LPOPENFILENAMEA request)
{
    requests.push_back(std::string(request->lpstrFilter) + "|" + (request->lpstrDefExt ? request->lpstrDefExt : "-") +
                       "|" + request->lpstrFile);
    lstrcpynA(request->lpstrFile, answer.c_str(), request->nMaxFile);
    return !answer.empty();
}

struct CommandLineTest : MainWindowTest {
    static void OpenWindow()
    {
        ASSERT_TRUE(Open());
        g_app.openFileDialog = g_app.saveFileDialog = AnswerFileDialog;
    }
    // Row URL -> the row's cell of the column.
    static StatusMap Statuses(int column = 2)
    {
        StatusMap cells;
        for (int row = 0; row < RowCount(); row++)
            cells[Cell(row, 1)] = Cell(row, column);
        return cells;
    }
};

std::string Seed(const std::string& name)
{
    SeedEntry entry;
    entry.url = Site + name;
    entry.content = "content of " + name;
    return SeedCacheEntry(entry);
}

}  // namespace

// A backup at night; by morning entries came, went, were visited, updated and touched: /since says which, as the window does.
TEST_F(CommandLineTest, ANightlyArchiveAndAChangeReportAgreeWithTheWindow)
{
    std::string keep = Seed("keep.htm");
    for (const char* name : {"gone.htm", "visit.htm", "update.htm", "counters.htm"})
        ASSERT_NE(Seed(name), "") << name;
    TempFile night("brindlewick night.cbf"), changes("brindlewick changes.txt");
    RunResult archive = RunSwitches({"/backup", night.path});
    EXPECT_EQ(std::make_pair(archive.exitCode, archive.errors), std::make_pair(0, std::string()));

    ASSERT_NE(Seed("new.htm"), "");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    FILETIME later = MakeFileTime(2031, 5, 6, 7, 8, 9);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "visit.htm", &later, NULL, NULL));
    ASSERT_TRUE(SetCacheEntryTimes(Site + "update.htm", NULL, &later, NULL));
    ASSERT_TRUE(SetCacheEntryCounters(Site + "counters.htm", 9, 0));
    RunResult report = RunSwitches({"/SINCE", night.path, "/changed", "/report", changes.path});
    EXPECT_EQ(std::make_pair(report.exitCode, report.errors), std::make_pair(0, std::string()));
    EXPECT_EQ(ReportStatuses(changes.Read()), (StatusMap{{Site + "new.htm", "Added"}, {Site + "gone.htm", "Del'd"},
                                                          {Site + "visit.htm", "Rvstd"}, {Site + "update.htm", "Updated"},
                                                          {Site + "counters.htm", "Chngd"}}));

    OpenWindow();
    answer = night.path;
    Command(IDM_COMPARE_BACKUP);
    EXPECT_EQ(requests.back(), "Cache Backup Files|-|");
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "keep.htm", ""}, {Site + "new.htm", "Added"}, {Site + "gone.htm", "Deleted"},
                                     {Site + "visit.htm", "Rvst'd"}, {Site + "update.htm", "Updated"},
                                     {Site + "counters.htm", "Chnged"}}));
    EXPECT_EQ(Statuses(3)[Site + "keep.htm"], keep);
    EXPECT_TRUE(shown.empty());
}

// Save Cache Backup shows its progress over a disabled window and can be cancelled; a full disk and gaps are told.
TEST_F(CommandLineTest, SaveCacheBackupAndExportCsvFromTheWindow)
{
    std::string first = Seed("first.htm");
    ASSERT_NE(Seed("second.htm"), "");
    OpenWindow();
    TempFile backup("brindlewick window.cbf"), csv("brindlewick window.csv");
    ASSERT_TRUE(backup.Write("old"));
    answer = backup.path;
    bool ownerDisabled = false;
    actions.push_back([&](HWND dialog) {
        ownerDisabled = !IsWindowEnabled(window);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_SAVE_BACKUP);
    EXPECT_EQ(requests.back(), "Cache Backup Files|cbf|.cbf");
    EXPECT_TRUE(ownerDisabled);
    EXPECT_EQ(backup.Read(), "old");
    ASSERT_TRUE(DeleteFileA(first.c_str()));
    Command(IDM_SAVE_BACKUP);
    EXPECT_TRUE(IsWindowEnabled(window));
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption + "|" + shown[1].caption, "Save Cache Backup|Save Cache Backup");
    EXPECT_EQ(shown[2].text.substr(0, 60), "1 of the 2 entries saved are without their complete cached f");

    answer = csv.path;
    Command(IDM_EXPORT_CSV);
    EXPECT_EQ(requests.back(), "CSV Files|csv|.csv");
    EXPECT_EQ(csv.Read().substr(0, 21), "\xEF\xBB\xBF" "Entry #,URL,Status");
    SafeFileWrite = FullDisk;
    Command(IDM_EXPORT_CSV);
    SafeFileWrite = WriteFile;
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3].text, "Couldn't export the listing as \"" + answer + "\".\n\n" + SystemText(ERROR_DISK_FULL));
    EXPECT_EQ(csv.Read().substr(0, 21), "\xEF\xBB\xBF" "Entry #,URL,Status");
    // The backup holds both entries as they are now (the size of the one without its file is not compared).
    Close();
    EXPECT_EQ(RunSwitches({"/since", backup.path, "/changed", "/report", "-"}).output.size(), 140u);
}

// Every wrong use and every failure exits with its code and says why; "-" is standard output.
TEST_F(CommandLineTest, EveryUsageAndFailureExitsWithItsCode)
{
    ASSERT_NE(Seed("a.htm"), "");
    ASSERT_NE(Seed("b.htm"), "");
    FILETIME later = MakeFileTime(2031, 5, 6);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "b.htm", &later, NULL, NULL));    // first by the default order
    SeedEntry cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = COOKIE_ENTRY;
    ASSERT_NE(SeedCacheEntry(cookie), "");
    PutDwordSetting("Sort Column", 1);      // by URL
    PutDwordSetting("Sort Direction", 0);
    TempFile notes("brindlewick notes.cbf");
    ASSERT_TRUE(notes.Write("These are notes, not a cache backup file."));
    const std::string missing = notes.path + ".missing", noFolder = "C:\\no such folder\\report.txt";
    const std::string header = "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n";
    const struct { std::vector<std::string> arguments; int exitCode; std::string output, error; } cases[] = {
        {{"/?"}, 0, "Usage: brindlewick [/since FILE.cbf]", ""},
        {{"/report", "-", "/bogus"}, 1, "", "Unknown switch: /bogus\r\n\r\nUsage:"},
        {{"/report"}, 1, "", "/report needs a file name.\r\n\r\nUsage:"},
        {{"/csv", "/changed"}, 1, "", "/csv needs a file name."},
        {{"/changed", "/strays"}, 1, "", "Nothing to write: give /report, /csv or /backup."},
        {{"/backup", "-"}, 1, "", "/backup needs a file name: a backup file cannot go to standard output."},
        {{"/since", missing, "/report", "-"}, 2, "", "Couldn't read the cache backup file \"" + missing + "\": " +
                                                      SystemText(ERROR_FILE_NOT_FOUND) + "\r\n"},
        {{"/since", notes.path, "/report", "-"}, 2, "", "Couldn't read the cache backup file \"" + notes.path + "\": " +
                                                         SystemText(ERROR_INVALID_DATA) + "\r\n"},
        {{"/report", noFolder, "/report", "-"}, 0, header, ""},    // the last name given counts
        {{"/report", noFolder, "/csv", "-"}, 2, "\xEF\xBB\xBF", "Couldn't write \"" + noFolder + "\": " +
                                                                SystemText(ERROR_PATH_NOT_FOUND) + "\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + (c.arguments.size() > 1 ? c.arguments[1] : ""));
        RunResult run = RunSwitches(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.output.substr(0, c.output.size()), c.output);
        EXPECT_EQ(run.errors.substr(0, c.error.size()), c.error);
        EXPECT_EQ(run.errors.empty(), c.error.empty());
    }
    // In URL order, as stored; cookies only when asked for.
    RunResult sorted = RunSwitches({"/report", "-"}), cookies = RunSwitches({"/cookies", "/report", "-"});
    EXPECT_LT(sorted.output.find(Site + "a.htm"), sorted.output.find(Site + "b.htm"));
    EXPECT_EQ(sorted.output.find(cookie.url), std::string::npos);
    EXPECT_NE(cookies.output.find(cookie.url), std::string::npos);

    // The program itself, started as a script starts it: output to its standard handles, its exit code the run's.
    char test[MAX_PATH];
    std::string program(test, GetModuleFileNameA(NULL, test, MAX_PATH));
    program = program.substr(0, program.rfind('\\')) + "\\..\\brindlewick.exe";
    for (const auto& c : std::vector<std::pair<std::string, DWORD>>{{"/report -", 0}, {"/bogus", 1}}) {
        TempFile output("brindlewick program.txt");
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
        STARTUPINFOA start = {};
        start.cb = sizeof(start);
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdOutput = start.hStdError =
            CreateFileA(output.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
        PROCESS_INFORMATION process;
        std::string line = "\"" + program + "\" " + c.first;
        ASSERT_TRUE(CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &start, &process)) << program;
        WaitForSingleObject(process.hProcess, 60000);
        DWORD exitCode = 99;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        CloseHandle(start.hStdOutput);
        EXPECT_EQ(exitCode, c.second) << c.first;
        EXPECT_EQ(output.Read().substr(0, 22), c.second ? "Unknown switch: /bogus" : header.substr(0, 22)) << c.first;
    }
}

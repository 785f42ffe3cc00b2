// The command line for scripts, the comparison it shares with "Compare with Backup File...", and the window's saves.
#include <sstream>
#include "long_work.h"
#include "safe_file.h"
#include "window_fixture.h"

namespace {

struct RunResult { int exitCode; std::string output, errors; };

// Runs the program with the switches as a script does, both outputs in files, watching it while it runs: no window
// may appear and no setting be written.
RunResult RunSwitches(const std::vector<std::string>& arguments)
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
    for (const std::string& argument : arguments)
        line += " \"" + argument + "\"";
    int windowsMade = 0;    // top-level windows of the started program's process, counted while it runs
    DWORD exitCode = 0xFFFFFFFF;
    PROCESS_INFORMATION process;
    if (CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &start, &process)) {
        for (DWORD began = GetTickCount(); WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT &&
                                           GetTickCount() - began < 60000;) {
            for (HWND other = NULL; (other = FindWindowExA(NULL, other, NULL, NULL)) != NULL;) {
                DWORD owner = 0;
                windowsMade += GetWindowThreadProcessId(other, &owner) && owner == process.dwProcessId;
            }
        }
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(start.hStdOutput);
    CloseHandle(start.hStdError);
    EXPECT_EQ(windowsMade, 0);
    EXPECT_FALSE(HasSetting("Window Metrics"));
    return {(int)exitCode, output.Read(), errors.Read()};
}

// The save's first write waits until the test lets it go, so that Stop arrives while the save runs.
HANDLE writeGate = NULL;
BOOL WINAPI GatedWrite(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    WaitForSingleObject(writeGate, 60000);
    return WriteFile(file, bytes, count, written, overlapped);
}

}  // namespace

// A backup at night; by morning entries came, went, were visited, updated and touched: /since tells which, and so
// does the window. Its own backup can be stopped while it writes, and counts missing files.
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
    StatusMap statuses;     // URL -> status word of every line of the report
    std::istringstream lines(changes.Read().substr(changes.Read().find("-\r\n") + 3));
    for (std::string line; std::getline(lines, line);)
        statuses[line.substr(line.find("dy ") + 3, line.size() - line.find("dy ") - 4)] = line.substr(6, line.find(' ', 6) - 6);
    EXPECT_EQ(statuses, (StatusMap{{Site + "new.htm", "Added"}, {Site + "gone.htm", "Del'd"},
                                                          {Site + "visit.htm", "Rvstd"}, {Site + "update.htm", "Updated"},
                                                          {Site + "counters.htm", "Chngd"}}));
    // /filter narrows the files as the filter bar narrows the rows, and /changed with it.
    std::string narrowed = RunSwitches({"/since", night.path, "/changed", "/filter", " -gone  -COUNTERS", "/report", "-"}).output;
    EXPECT_EQ(std::count(narrowed.begin(), narrowed.end(), '\n'), 2 + 3) << narrowed;
    EXPECT_EQ(narrowed.find("gone.htm"), std::string::npos);

    ASSERT_TRUE(Open());
    answer = night.path;
    Command(IDM_COMPARE_BACKUP);
    EXPECT_EQ(Cells(), (StatusMap{{Site + "keep.htm", ""}, {Site + "new.htm", "Added"}, {Site + "gone.htm", "Deleted"},
                                   {Site + "visit.htm", "Rvst'd"}, {Site + "update.htm", "Updated"},
                                   {Site + "counters.htm", "Chnged"}}));
    EXPECT_EQ(Cells(3)[Site + "keep.htm"], keep);

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
    const struct { std::vector<std::string> arguments; int exitCode; std::string output, error; } cases[] = {
        {{"/?"}, 0, "Usage: brindlewick [/since FILE.cbf]", ""},
        {{"/report", "-", "/bogus"}, 1, "", "Unknown switch: /bogus\r\n\r\nUsage:"},
        {{"/report"}, 1, "", "/report needs a file name.\r\n\r\nUsage:"},
        {{"/changed", "/csv"}, 1, "", "/csv needs a file name."},
        {{"/changed", "/strays"}, 1, "", "Nothing to write: give /report, /csv, /jsonl, /bodyfile or /backup."},
        {{"/history", "/csv", "-"}, 1, "", "/history needs a file or folder name."},
        {{"/history", notes.path, "/csv", "-", "/report", "-"}, 1, "", "/history takes no /since, /report,"},
        {{"/history", notes.path, "/csv", "-", "/jsonl", "-"}, 1, "", "/history writes its files together"},
        {{"/backup", "-"}, 1, "", "/backup needs a file name: a backup file cannot go to standard output."},
        {{"/since", missing, "/report", "-"}, 2, "",
         "Couldn't read the cache backup file \"" + missing + "\": " + SystemText(ERROR_FILE_NOT_FOUND) + "\r\n"},
        {{"/since", notes.path, "/report", "-"}, 2, "",
         "Couldn't read the cache backup file \"" + notes.path + "\": " + SystemText(ERROR_INVALID_DATA) + "\r\n"},
        {{"/report", noFolder, "/csv", "-"}, 2, "\xEF\xBB\xBF",    // the CSV is written after the failure
         "Couldn't write \"" + noFolder + "\": " + SystemText(ERROR_PATH_NOT_FOUND) + "\r\n"},
        {{"/report", "-"}, 0, "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n", ""},
        {{"/jsonl", "-"}, 0, "{\"entry\":", ""},
        {{"/bodyfile", "-"}, 0, "0|" + Site + "a.htm|", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + (c.arguments.size() > 1 ? c.arguments[1] : ""));
        RunResult run = RunSwitches(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.output.substr(0, c.output.size()), c.output);
        EXPECT_EQ(run.errors.substr(0, c.error.size()), c.error);
        EXPECT_EQ(run.errors.empty(), c.error.empty());
        EXPECT_LE(run.output.find(Site + "a.htm"), run.output.find(Site + "b.htm"));    // the stored order, by URL
    }
}

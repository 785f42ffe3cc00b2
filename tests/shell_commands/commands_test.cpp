#include <windows.h>
#include <string.h>
#include <map>
#include <wininet.h>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "heap.h"
#include "list_view.h"
#include "listing_builder.h"
#include "resource.h"
#include "settings_key.h"
#include "startup.h"
#include "window_fixture.h"

namespace {

const std::string Site = "http://www.example.com/";
const std::string Cookie = "Cookie:user@example.com/";
typedef std::map<std::string, std::string> StatusMap;

// Each file dialog asked: "open|save size owner buffer flags default-extension 'start name' filter|pairs|".
std::vector<std::string> requests;
std::string answer;                     // the name the next file dialog gives back; empty: the user cancels
std::vector<std::string> shellCalls;    // "verb file [parameters] show n"

BOOL Answer(LPOPENFILENAMEA request, bool save)
{
    char text[600];
    snprintf(text, sizeof(text), "%s %lu %s %lu %lu %s '%s' ", save ? "save" : "open", request->lStructSize,
             request->hwndOwner == MainWindowTest::window ? "main" : "other", request->nMaxFile, request->Flags,
             request->lpstrDefExt ? request->lpstrDefExt : "-", request->lpstrFile);
    requests.push_back(text);
    for (const char* part = request->lpstrFilter; *part; part += strlen(part) + 1)
        requests.back() += std::string(part) + "|";
    lstrcpynA(request->lpstrFile, answer.c_str(), request->nMaxFile);
    return !answer.empty();
}
BOOL WINAPI AnswerOpen(LPOPENFILENAMEA request) { return Answer(request, false); }
BOOL WINAPI AnswerSave(LPOPENFILENAMEA request) { return Answer(request, true); }

HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    shellCalls.push_back(std::string(verb) + " " + file + (parameters ? " [" + std::string(parameters) + "]" : "") +
                         (directory ? " in " + std::string(directory) : "") + " show " + std::to_string(show));
    return (HINSTANCE)33;
}

// A danger check that refuses PDF files, so that a test can tell it was asked.
HRESULT WINAPI RefusePdf(LPCWSTR extension)
{
    return lstrcmpiW(extension, L".pdf") == 0;
}

std::string SeedUrl(const std::string& url, DWORD type = NORMAL_ENTRY)
{
    SeedEntry entry;
    entry.url = url;
    entry.type = type;
    return SeedCacheEntry(entry);
}

// Windows' EM_GETLINE copies the line without a NUL where Wine adds one: the test's edit field adds none.
WNDPROC editProc;
LRESULT CALLBACK GetLineWithoutNul(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    WORD room = message == EM_GETLINE ? *(WORD*)lParam : 0;
    LRESULT copied = CallWindowProcA(editProc, edit, message, wParam, lParam);
    if (copied < room)
        ((char*)lParam)[copied] = '#';
    return copied;
}

// A one-byte file the test makes, deleted at its end; in a cache folder without an entry it is a stray.
struct MadeFile : TempFile {
    explicit MadeFile(const std::string& at) : TempFile("") { path = at; Write("x"); }
};

// The system's sentence for an error code, as an error message ends.
std::string SystemText(DWORD code)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0, text, sizeof(text), NULL);
    return std::string(text, strcspn(text, "\r\n"));
}

// A backup file of entries (URL, size, type) seen on 1 March 2005 and each following day.
std::string BackupFile(const std::vector<std::tuple<std::string, int, DWORD>>& entries)
{
    BackupFileSpec file;
    for (const auto& entry : entries) {
        file.records.emplace_back();
        file.records.back().url = std::get<0>(entry);
        file.records.back().content = std::string(std::get<1>(entry), 'x');
        file.records.back().type = std::get<2>(entry);
        file.records.back().access = MakeFileTime(2005, 3, (int)file.records.size());
    }
    return BackupFileBytes(file);
}

// The real window with the file dialogs and the shell call answered by the test.
struct CommandTest : MainWindowTest {
    void SetUp() override
    {
        MainWindowTest::SetUp();
        requests.clear();
        answer.clear();
        shellCalls.clear();
    }
    static HWND OpenWindow()
    {
        Open();
        g_app.openFileDialog = AnswerOpen;
        g_app.saveFileDialog = AnswerSave;
        g_app.shellExecute = RecordShellExecute;
        return window;
    }
    // A double click on the row, as the user activates it.
    static void DoubleClickRow(int row)
    {
        RECT place = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(g_app.listView, LVM_GETITEMRECT, row, (LPARAM)&place);
        SendMessageA(g_app.listView, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(place.left + 10, place.top + 2));
    }
    // Row key (the URL, or a stray's local file) -> the row's cell of the column, for every row.
    static StatusMap Statuses(int column = 2)
    {
        StatusMap cells;
        for (int row = 0; row < RowCount(); row++)
            cells[Cell(row, 1).empty() ? Cell(row, 3) : Cell(row, 1)] = Cell(row, column);
        return cells;
    }
};

}  // namespace

// A rescan marks what happened to every entry since the last scan, and the totals follow.
TEST_F(CommandTest, ScanCacheMarksWhatHappenedToEveryRow)
{
    PutDwordSetting("Include Strays", 1);
    std::string keep = SeedUrl(Site + "keep.htm"), folder = keep.substr(0, keep.rfind('\\') + 1);
    for (const char* name : {"gone.htm", "visit.htm", "update.htm", "counters.htm", "move.htm"})
        ASSERT_NE(SeedUrl(Site + name), "") << name;
    MadeFile finished(folder + "finished.bin");
    ASSERT_TRUE(OpenWindow());
    ASSERT_NE(SeedUrl(Site + "new.htm"), "");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    FILETIME later = MakeFileTime(2031, 5, 6, 7, 8, 9), none = {};
    ASSERT_TRUE(SetCacheEntryTimes(Site + "visit.htm", &later, NULL, NULL));
    ASSERT_TRUE(SetCacheEntryTimes(Site + "update.htm", NULL, &later, NULL));
    ASSERT_TRUE(SetCacheEntryCounters(Site + "counters.htm", 9, 0));
    ASSERT_NE(SeedUrl(Site + "move.htm"), "");
    ASSERT_TRUE(CommitUrlCacheEntryA((Site + "finished.bin").c_str(), finished.path.c_str(), none, none, NORMAL_ENTRY,
                                     NULL, 0, NULL, NULL));
    MadeFile stray(folder + "stray.dat");
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "keep.htm", ""}, {Site + "gone.htm", "Deleted"}, {Site + "visit.htm", "Rvst'd"},
                                     {Site + "update.htm", "Updated"}, {Site + "counters.htm", "Chnged"},
                                     {Site + "move.htm", "Moved"}, {Site + "finished.bin", "Finished"},
                                     {Site + "new.htm", "Added"}, {stray.path, "Added"}}));
    StatusMap scanned = Statuses();
    EXPECT_EQ(RowCount(), 9);
    // Nine one-byte files of one 4,096-byte cluster each; the stray is counted apart.
    EXPECT_EQ(StatusText(0), "CurSize: 32768   Amt added: 8192   Amt Del'd: 4096   NumEntries: 7   ClusterSize: 4096");
    EXPECT_EQ(StatusText(1), "Size of strays: 4096   NumStrays: 1");

    // A scan that runs out of memory is reported and leaves the list as it was.
    HeapFailureGuard heapGuard;
    actions.push_back([](HWND box) { FailHeapAfter(-1); PostMessageA(box, WM_COMMAND, IDOK, 0); });
    ASSERT_NE(SeedUrl(Site + "other.htm"), "");
    FailHeapAfter(3);
    Command(IDM_SCAN_CACHE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Error reading cache");
    EXPECT_EQ(Statuses(), scanned);
    EXPECT_EQ(StatusText(0), "CurSize: 32768   Amt added: 8192   Amt Del'd: 4096   NumEntries: 7   ClusterSize: 4096");
}

// Kinds switched off leave before the merge with all Deleted rows; new cookies show no status; Remove Deletions.
TEST_F(CommandTest, SwitchedOffKindsAndRemoveDeletionsDropRows)
{
    PutDwordSetting("Include Strays", 1);
    std::string keep = SeedUrl(Site + "keep.htm");
    ASSERT_NE(SeedUrl(Site + "gone.htm"), "");
    MadeFile stray(keep.substr(0, keep.rfind('\\') + 1) + "stray.dat");
    ASSERT_TRUE(OpenWindow());
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    Command(IDM_SCAN_CACHE);
    ASSERT_EQ(Statuses(), (StatusMap{{Site + "keep.htm", ""}, {Site + "gone.htm", "Deleted"}, {stray.path, ""}}));
    ASSERT_NE(SeedUrl(Cookie, COOKIE_ENTRY), "");
    Command(IDM_INCLUDE_STRAYS);
    Command(IDM_INCLUDE_COOKIES);
    EXPECT_EQ(std::make_pair(Checked(IDM_INCLUDE_STRAYS), Checked(IDM_INCLUDE_COOKIES)), std::make_pair(false, true));
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "keep.htm", ""}, {Cookie, ""}}));
    EXPECT_EQ(StatusText(0), "CurSize: 4096   Amt added: 0   Amt Del'd: 0   NumEntries: 2   ClusterSize: 4096");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "keep.htm").c_str()));
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "keep.htm", "Deleted"}, {Cookie, ""}}));
    Command(IDM_REMOVE_DELETIONS);
    EXPECT_EQ(Statuses(), (StatusMap{{Cookie, ""}}));
    Command(IDM_INCLUDE_COOKIES);
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(RowCount(), 0);
}

// A backup loads as a new listing to scan against, or as the next scan through grayed item 116; failures say why.
TEST_F(CommandTest, BackupFilesLoadAsANewListingOrAsTheNextScan)
{
    PutDwordSetting("Include Strays", 1);
    std::string fileA = SeedUrl(Site + "a.htm");
    ASSERT_NE(SeedUrl(Site + "b.htm"), "");
    ASSERT_TRUE(OpenWindow());
    Command(IDM_LOAD_NEW_LISTING);   // cancelled: nothing changes
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", ""}}));
    TempFile first("brindlewick first.cbf"), second("brindlewick second.cbf"), notes("brindlewick notes.cbf");
    ASSERT_TRUE(first.Write(BackupFile({{Cookie, 1, COOKIE_ENTRY}, {Site + "a.htm", 10, 1}, {Site + "old.htm", 5000, 1}})));
    answer = first.path;
    Command(IDM_LOAD_NEW_LISTING);
    EXPECT_EQ(requests.back(), "open 76 main 512 4 - '' Cache Backup Files|*.cbf|All Files|*.*|");
    // The file's rows newest first, without local files; its cookie switches cookies on, strays go off.
    EXPECT_EQ(Column(1), (std::vector<std::string>{Site + "old.htm", Site + "a.htm", Cookie}));
    EXPECT_EQ(Column(3), std::vector<std::string>(3, ""));
    EXPECT_EQ(StatusText(0), "CurSize: 12288   Amt added: 0   Amt Del'd: 0   NumEntries: 3   ClusterSize: 4096");
    EXPECT_EQ(std::make_pair(Checked(IDM_INCLUDE_STRAYS), Checked(IDM_INCLUDE_COOKIES)), std::make_pair(false, true));
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", "Added"}, {Site + "old.htm", "Deleted"},
                                     {Cookie, "Deleted"}}));
    EXPECT_EQ(Statuses(3)[Site + "a.htm"], fileA);
    EXPECT_TRUE(GetMenuState(GetMenu(window), IDM_LOAD_SUBSEQUENT_SCAN, MF_BYCOMMAND) & MF_GRAYED);
    ASSERT_TRUE(second.Write(BackupFile({{Site + "a.htm", 10, 1}, {Site + "b.htm", 1, 1}, {Site + "new.htm", 1, 1}})));
    answer = second.path;
    Command(IDM_LOAD_SUBSEQUENT_SCAN);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", ""}, {Site + "new.htm", "Added"},
                                     {Site + "old.htm", "Deleted"}, {Cookie, "Deleted"}}));
    EXPECT_EQ(Statuses(3)[Site + "a.htm"], fileA);
    EXPECT_TRUE(shown.empty());

    // Failed loads name the file and the reason, and leave every row, status and total as it was.
    ASSERT_TRUE(notes.Write("These are notes, not a cache backup file."));
    const struct { std::string path; UINT command; DWORD reason; } failures[] = {
        {notes.path, IDM_LOAD_SUBSEQUENT_SCAN, ERROR_INVALID_DATA}, {notes.path, IDM_LOAD_NEW_LISTING, ERROR_INVALID_DATA},
        {notes.path + ".missing", IDM_LOAD_NEW_LISTING, ERROR_FILE_NOT_FOUND}};
    StatusMap before = Statuses();
    std::string totals = StatusText(0);
    for (const auto& f : failures) {
        SCOPED_TRACE(f.command);
        shown.clear();
        answer = f.path;
        Command(f.command);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Couldn't load the cache backup file \"" + answer + "\".\n\n" + SystemText(f.reason));
        EXPECT_EQ(Statuses(), before);
        EXPECT_EQ(StatusText(0), totals);
    }
}

// Save Listing writes the report of the rows on screen; a failure names the file and the reason.
TEST_F(CommandTest, SaveListingWritesTheReportOrSaysWhyItCannot)
{
    ASSERT_TRUE(OpenWindow());
    TempFile backup("brindlewick report.cbf"), report("brindlewick report.txt");
    ASSERT_TRUE(backup.Write(BackupFile({{Cookie, 1, COOKIE_ENTRY}, {Site + "a.htm", 20480, 1}})));
    answer = backup.path;
    Command(IDM_LOAD_NEW_LISTING);
    answer = report.path;
    Command(IDM_SAVE_LISTING);
    EXPECT_EQ(requests.back(), "save 76 main 512 6 - '.txt' Text Files|*.txt|All Files|*.*|");
    EXPECT_EQ(report.Read(), "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n" + std::string(77, '-') +
                                 "\r\n    1            1   0  20480 2005/03/02 0:00.00    0dy http://www.example.com/a.htm\r\n"
                                 "    0        100001   0      1 2005/03/01 0:00.00    0dy Cookie:user@example.com/\r\n");
    EXPECT_TRUE(shown.empty());
    answer = "C:\\no such folder\\report.txt";
    Command(IDM_SAVE_LISTING);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Couldn't save the listing as \"" + answer + "\".\n\n" + SystemText(ERROR_PATH_NOT_FOUND));
    answer = "";
    Command(IDM_SAVE_LISTING);
    EXPECT_EQ(std::make_pair(requests.size(), shown.size()), std::make_pair(4u, 1u));
}

// A row opens by association if its type is harmless, else through the open command; no local file, nothing.
TEST_F(CommandTest, ActivatingARowOpensItsFile)
{
    ASSERT_TRUE(OpenWindow());
    g_app.dangerCheck = RefusePdf;
    const struct { const char* file; bool opens, quoted; } rows[] = {
        {"C:\\c\\page[1].htm", true, false}, {"C:\\my c\\a b.gif", true, true},
        {"C:\\c\\long.abcdefghijklmnopqrstuvwxyz1234", true, false},    // 30 characters after the dot
        {"C:\\c\\long.abcdefghijklmnopqrstuvwxyz12345", false, false},  // 31
        {"C:\\c\\setup[1].exe", false, false}, {"C:\\c\\hidden.exe.", false, false},
        {"C:\\c\\report.pdf", false, false},                            // refused by the system's danger check
        {"C:\\c.d\\noextension", false, false}, {"", false, false}, {nullptr, false, false}};
    TestListing hand;
    std::swap(g_app.mainListing, *hand.get());
    for (const auto& r : rows)
        AddEntry(&g_app.mainListing, Site.c_str(), r.file);
    ReplaceListRows(&g_app.mainListing);
    for (const char* command : {"", "C:\\viewer.exe"}) {
        lstrcpyA(g_app.settings.openCommand, command);
        for (int row = 0; row < 10; row++) {
            std::string path = rows[row].file ? rows[row].file : "";
            SCOPED_TRACE(path + " with command " + command);
            std::vector<std::string> expected;
            if (*command && !path.empty())
                expected = {"open C:\\viewer.exe [" + (rows[row].quoted ? '"' + path + '"' : path) + "] show 10"};
            else if (!*command && rows[row].opens)
                expected = {"open " + path + " show 5"};
            shellCalls.clear();
            DoubleClickRow(row);
            EXPECT_EQ(shellCalls, expected);
        }
    }
    std::swap(g_app.mainListing, *hand.get());
}

// Set Open Command takes up to 508 characters whole (no old tail), Cancel keeps the old; Quit saves it.
TEST_F(CommandTest, SetOpenCommandTakesTheTextAndQuitSavesIt)
{
    ASSERT_TRUE(OpenWindow());
    const std::string viewer = "C:\\tools\\viewer.exe", longest(508, 'a');
    const struct { std::string typed; int button; std::string before, after; } edits[] = {
        {std::string(600, 'a'), IDOK, "", longest}, {viewer, IDOK, longest, viewer}, {"other.exe", IDCANCEL, viewer, viewer}};
    for (const auto& e : edits) {
        SCOPED_TRACE(e.typed.substr(0, 20));
        std::string before;
        actions.push_back([&](HWND dialog) {
            HWND edit = GetDlgItem(dialog, IDC_OPEN_COMMAND);
            editProc = (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)GetLineWithoutNul);
            char text[1024] = "";
            GetWindowTextA(edit, text, sizeof(text));
            before = text;
            SetWindowTextA(edit, "");
            for (char c : e.typed)
                SendMessageA(edit, WM_CHAR, (BYTE)c, 0);
            PostMessageA(dialog, WM_COMMAND, e.button, 0);
        });
        Command(IDM_SET_OPEN_COMMAND);
        EXPECT_EQ(before, e.before);
        EXPECT_EQ(std::string(g_app.settings.openCommand), e.after);
    }
    Command(IDM_QUIT);
    EXPECT_EQ(RunMessageLoop(), 0);
    std::vector<BYTE> stored;
    DWORD type = 0;
    ASSERT_TRUE(GetSetting("Open Command", &stored, &type));
    EXPECT_EQ(std::string(stored.begin(), stored.end()), viewer + '\0');
}

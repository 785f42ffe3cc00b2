// The commands end to end on the real window: rescans, backup files and the report, rows, settings; and stored
// settings that would open an unusable window, or reach past a table or a field, giving way.
#include "list_view.h"
#include "listing_builder.h"
#include "open_entry.h"
#include "settings.h"
#include "window_fixture.h"

namespace {

const std::string Cookie = "Cookie:user@example.com/";

HRESULT WINAPI RefusePdf(LPCWSTR extension) { return lstrcmpiW(extension, L".pdf") == 0; }   // the danger check

// A one-byte file, deleted at the end; a stray in a cache folder.
struct MadeFile : TempFile {
    explicit MadeFile(const std::string& at) : TempFile("") { path = at, Write("x"); }
};

// Heap requests fail from now until the next message box, which gets OK.
void FailHeapUntilTheNextBox()
{
    MainWindowTest::actions.push_back([](HWND box) { FailHeapAfter(-1), PostMessageA(box, WM_COMMAND, IDOK, 0); });
    FailHeapAfter(0);
}

}  // namespace

// A first scan out of memory is reported; later scans mark what happened to every row, with totals.
// A scan or Remove Deletions out of memory says so and leaves the rows; kinds switched off leave.
TEST_F(MainWindowTest, RescansMarkWhatHappenedToEveryRow)
{
    HeapFailureGuard guard;
    PutDwordSetting("Include Strays", 1);
    std::string keep = Seed("keep.htm"), folder = keep.substr(0, keep.rfind('\\') + 1);
    for (const char* name : {"gone.htm", "visit.htm", "update.htm", "counters.htm", "move.htm"})
        ASSERT_NE(Seed(name), "") << name;
    MadeFile finished(folder + "finished.bin");
    FailHeapUntilTheNextBox();
    ASSERT_TRUE(Open());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Error during initial cache read");
    EXPECT_EQ(RowCount(), 0);
    Command(IDM_SCAN_CACHE);

    ASSERT_NE(Seed("new.htm"), "");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    FILETIME later = MakeFileTime(2031, 5, 6, 7, 8, 9);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "visit.htm", &later, NULL, NULL));
    ASSERT_TRUE(SetCacheEntryTimes(Site + "update.htm", NULL, &later, NULL));
    ASSERT_TRUE(SetCacheEntryCounters(Site + "counters.htm", 9, 0));
    ASSERT_NE(Seed("move.htm"), "");
    ASSERT_TRUE(CommitUrlCacheEntryA((Site + "finished.bin").c_str(), finished.path.c_str(), {}, {}, NORMAL_ENTRY,
                                     NULL, 0, NULL, NULL));
    MadeFile stray(folder + "stray.dat");
    Command(IDM_SCAN_CACHE);
    StatusMap scanned = {{Site + "keep.htm", ""}, {Site + "gone.htm", "Deleted"}, {Site + "visit.htm", "Rvst'd"},
                         {Site + "update.htm", "Updated"}, {Site + "counters.htm", "Chnged"},
                         {Site + "move.htm", "Moved"}, {Site + "finished.bin", "Finished"}, {Site + "new.htm", "Added"},
                         {stray.path, "Added"}};
    EXPECT_EQ(Cells(), scanned);
    const std::string totals = "CurSize: 32768   Amt added: 8192   Amt Del'd: 4096   NumEntries: 7   ClusterSize: 4096";
    EXPECT_EQ(StatusText(0), totals);
    EXPECT_EQ(StatusText(1), "Size of strays: 4096   NumStrays: 1");

    ASSERT_NE(Seed("other.htm"), "");
    shown.clear();
    for (UINT command : {IDM_SCAN_CACHE, IDM_REMOVE_DELETIONS}) {
        FailHeapUntilTheNextBox();
        Command(command);
        EXPECT_EQ(Cells(), scanned);
        EXPECT_EQ(StatusText(0), totals);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Error reading cache");
    EXPECT_EQ(shown[1].text, "Couldn't remove the deleted rows.\n\n" + SystemText(ERROR_NOT_ENOUGH_MEMORY));
    Command(IDM_REMOVE_DELETIONS);
    scanned.erase(Site + "gone.htm");
    EXPECT_EQ(Cells(), scanned);

    // Strays off: their rows leave. Cookies just on: new rows show no status, are not counted as added.
    ASSERT_NE(SeedCacheEntry({Cookie, "x", COOKIE_ENTRY}), "");
    Command(IDM_INCLUDE_STRAYS);
    Command(IDM_INCLUDE_COOKIES);
    EXPECT_TRUE(!Checked(IDM_INCLUDE_STRAYS) && Checked(IDM_INCLUDE_COOKIES));
    Command(IDM_SCAN_CACHE);
    for (auto& row : scanned)
        row.second = "";
    scanned.erase(stray.path);
    scanned[Site + "other.htm"] = scanned[Cookie] = "";
    EXPECT_EQ(Cells(), scanned);
    EXPECT_EQ(StatusText(0), "CurSize: 32768   Amt added: 0   Amt Del'd: 0   NumEntries: 9   ClusterSize: 4096");
    Command(IDM_INCLUDE_COOKIES);
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Cells().count(Cookie), 0u);
    EXPECT_EQ(shown.size(), 2u);
}

// A backup loads as a new listing to sort and scan against; Save Listing writes the rows on screen.
// Failed loads (also through grayed item 116) and saves say why, with the arrow back; nothing changes.
TEST_F(MainWindowTest, BackupFilesAndTheReport)
{
    PutDwordSetting("Include Strays", 1);
    ASSERT_NE(Seed("a.htm"), "");
    ASSERT_NE(Seed("b.htm"), "");
    ASSERT_TRUE(Open());
    TempFile first("brindlewick first.cbf"), notes("brindlewick notes.cbf"), report("brindlewick report.txt");
    BackupFileSpec backup;  // entries (URL, size, type) seen on 1 March 2005 and each following day
    for (auto [url, size, type] : std::vector<std::tuple<std::string, int, DWORD>>{
             {Cookie, 1, COOKIE_ENTRY}, {Site + "a.htm", 20480, 1}, {Site + "old.htm", 5000, 1}}) {
        BackupRecordSpec& r = backup.records.emplace_back();
        r.url = url, r.content = std::string(size, 'x'), r.type = type;
        r.access = MakeFileTime(2005, 3, (int)backup.records.size());
    }
    ASSERT_TRUE(first.Write(BackupFileBytes(backup)));
    answer = first.path;
    Command(IDM_LOAD_NEW_LISTING);
    EXPECT_EQ(std::make_tuple(RowCount(), Cell(0, 1), Cell(1, 1), Cell(2, 1)),
              std::make_tuple(3, Site + "old.htm", Site + "a.htm", Cookie));
    EXPECT_EQ(StatusText(0), "CurSize: 28672   Amt added: 0   Amt Del'd: 0   NumEntries: 3   ClusterSize: 4096");
    EXPECT_TRUE(!Checked(IDM_INCLUDE_STRAYS) && Checked(IDM_INCLUDE_COOKIES));
    ASSERT_TRUE(report.Write(std::string(5000, 'x')));      // replaced whole
    answer = report.path;
    Command(IDM_SAVE_LISTING);
    EXPECT_EQ(report.Read(), "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n" + std::string(77, '-') +
                                 "\r\n    2            1   0   5000 2005/03/03 0:00.00    0dy " + Site + "old.htm\r\n"
                                 "    1            1   0  20480 2005/03/02 0:00.00    0dy " + Site + "a.htm\r\n"
                                 "    0        100001   0      1 2005/03/01 0:00.00    0dy " + Cookie + "\r\n");

    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Cells(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", "Added"}, {Site + "old.htm", "Deleted"},
                                     {Cookie, "Deleted"}}));
    StatusMap before = Cells();

    ASSERT_TRUE(notes.Write("These are notes, not a cache backup file."));
    const std::string load = "Couldn't load the cache backup file", save = "Couldn't save the listing as";
    const struct { std::string path; UINT command; const std::string& what; DWORD reason; } failures[] = {
        {notes.path, IDM_LOAD_SUBSEQUENT_SCAN, load, ERROR_INVALID_DATA},
        {notes.path, IDM_LOAD_NEW_LISTING, load, ERROR_INVALID_DATA},
        {notes.path + ".missing", IDM_LOAD_NEW_LISTING, load, ERROR_FILE_NOT_FOUND},
        {"C:\\no such folder\\report.txt", IDM_SAVE_LISTING, save, ERROR_PATH_NOT_FOUND}};
    std::string totals = StatusText(0);
    for (const auto& f : failures) {
        SCOPED_TRACE(f.path);
        shown.clear();
        answer = f.path;
        HCURSOR cursor = NULL;
        actions.push_back([&cursor](HWND box) { cursor = GetCursor(), PostMessageA(box, WM_COMMAND, IDOK, 0); });
        Command(f.command);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, f.what + " \"" + f.path + "\".\n\n" + SystemText(f.reason));
        EXPECT_EQ(cursor, LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
        EXPECT_EQ(Cells(), before);
        EXPECT_EQ(StatusText(0), totals);
    }
}

// 40,000 rows, cells of extreme values. A row opens by association unless its type can run code (the built-in
// list, any case, or the system's check), else by the open command; a double-click and Enter open it.
TEST_F(MainWindowTest, RowsOfALargeListingShowTheirEntriesAndOpenTheirFiles)
{
    ASSERT_TRUE(Open());
    g_app.system.dangerCheck = RefusePdf;
    struct Row { std::string file; bool opens, quoted; };
    std::vector<Row> rows = {
        {"C:\\c\\AB12\\stray.bin", true, false}, {"C:\\c\\page[1].htm", true, false}, {"C:\\my c\\a b.gif", true, true},
        {"C:\\c\\long.abcdefghijklmnopqrstuvwxyz1234", true, false},    // 30 characters after the dot
        {"C:\\c\\long.abcdefghijklmnopqrstuvwxyz12345", false, false},  // 31
        {"C:\\c\\hidden.exe.", false, false}, {"C:\\c\\hidden.exe ", false, true},
        {"C:\\c\\report.pdf", false, false}, {"C:\\c.d\\noextension", false, false}, {"", false, false}};
    for (const char* type : {".exe", ".COM", ".Js", ".vbs", ".ps1xml", ".MSH", ".APPLICATION", ".appref-ms",
                             ".SETTINGCONTENT-MS", ".website"})     // the first, the last and others of the list
        rows.push_back({std::string("C:\\c\\setup[1]") + type, false, false});
    rows.push_back({"", false, false});     // read from a backup file: no local file at all
    const int backup = (int)rows.size() - 1;
    TestListing hand;
    std::swap(g_app.mainListing, *hand.get());
    Listing* main = &g_app.mainListing;
    for (int i = 0; i <= backup; i++)
        AddEntry(main, i ? Site.c_str() : nullptr, i < backup ? rows[i].file.c_str() : nullptr);
    CacheEntry *stray = EntryAt(main, 0), *old = EntryAt(main, backup);
    stray->typeFlags = 0x20, stray->size = stray->hitRate = 0xFFFFFFFF, stray->exemptDelta = 0x80000000;
    stray->lastAccess = {0xFFFFFFFF, 0xFFFFFFFF}, stray->lastModified = {1, 0};
    stray->lastSync = {0xEFD3E980, 0x7FFF35F4}, stray->expireTime = MakeFileTime(2030, 1, 1);   // the last converted
    old->typeFlags = 0x80000001, old->status = 0, old->useCount = 3;
    old->headerText = CopyString(main, "HTTP/1.1 200 OK");
    while (main->count < 40000)
        AddEntry(main, "http://www.example.com/x", "C:\\cache\\x")->size = 1;
    ReplaceListRows(main);
    EXPECT_EQ(RowCount(), 40000);
    const struct { int row, column; const char* text; } cells[] = {
        {0, 1, ""}, {0, 2, ""}, {0, 4, "4294967295"}, {0, 5, "None"}, {0, 6, "1601/01/01 0:00.00"},
        {0, 7, "30827/12/31 23:59.59"}, {0, 8, "      20"}, {0, 9, "-1"}, {0, 11, "2147483648"},
        {0, 12, "2030/01/01 0:00.00"}, {0, 13, ""}, {0, 99, "*"}, {backup, 2, "Deleted"}, {backup, 3, ""},
        {backup, 8, "80000001"}, {backup, 10, "3"}, {backup, 13, "HTTP/1.1 200 OK"}, {39999, 0, "39999"}};
    for (const auto& c : cells)
        EXPECT_EQ(Cell(c.row, c.column), c.text) << "row " << c.row << " column " << c.column;

    for (const char* command : {"", "C:\\viewer.exe"}) {
        lstrcpyA(g_app.settings.openCommand, command);
        for (int row = 0; row <= backup; row++) {
            const std::string& path = rows[row].file;
            SCOPED_TRACE(path + " with command " + command);
            Texts expected;
            if (*command && !path.empty())
                expected = {"open C:\\viewer.exe [" + (rows[row].quoted ? '"' + path + '"' : path) + "] show 10"};
            else if (!*command && rows[row].opens)
                expected = {"open " + path + " show 5"};
            shellCalls.clear();
            OpenEntry(window, row);
            EXPECT_EQ(shellCalls, expected);
        }
    }
    g_app.settings.openCommand[0] = '\0';
    shellCalls.clear();
    RECT place = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(g_app.listView, LVM_GETITEMRECT, 2, (LPARAM)&place);
    SendMessageA(g_app.listView, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(place.left + 10, place.top + 2));
    Select(1);
    SendMessageA(g_app.listView, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(shellCalls, (Texts{"open C:\\my c\\a b.gif show 5", "open C:\\c\\page[1].htm show 5"}));
    std::swap(g_app.mainListing, *hand.get());
}

// Set Open Command takes up to 508 characters; Cancel keeps the old. Quit and the close box each save
// the settings (dragged widths, the command), and the next start applies them.
TEST_F(MainWindowTest, OpenCommandAndSettingsLastUntilTheNextStart)
{
    const std::string viewer = "C:\\tools\\viewer.exe";
    const RECT placed = {100, 80, 900, 680};
    for (UINT road : {(UINT)WM_COMMAND, (UINT)WM_CLOSE}) {
        SCOPED_TRACE(road == WM_CLOSE ? "close box" : "Quit");
        ClearSettingsKey();
        ASSERT_TRUE(Open());
        SetWindowPos(window, NULL, 100, 80, 800, 600, SWP_NOZORDER);
        RECT list, status;      // the last rows are not hidden under the status bar
        GetWindowRect(g_app.listView, &list), GetWindowRect(g_app.statusBar, &status);
        EXPECT_EQ(list.bottom, status.top);
        SendMessageA(g_app.listView, LVM_SETCOLUMNWIDTH, 3, 43);
        ClickHeader(4);
        Command(IDM_INCLUDE_COOKIES);
        const struct { std::string typed; int button; std::string after; } edits[] = {
            {std::string(600, 'a'), IDOK, std::string(508, 'a')}, {viewer, IDOK, viewer},
            {"other.exe", IDCANCEL, viewer}};
        for (const auto& e : edits) {
            actions.push_back([&](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_OPEN_COMMAND, "");
                for (char c : e.typed)
                    SendDlgItemMessageA(dialog, IDC_OPEN_COMMAND, WM_CHAR, (BYTE)c, 0);
                PostMessageA(dialog, WM_COMMAND, e.button, 0);
            });
            Command(IDM_SET_OPEN_COMMAND);
            EXPECT_EQ(std::string(g_app.settings.openCommand), e.after);
        }
        SendMessageA(window, road, road == WM_CLOSE ? 0 : IDM_QUIT, 0);
        EXPECT_EQ(IsWindow(window) != 0, road == WM_COMMAND);
        EXPECT_EQ(RunMessageLoop(), 0);
        Close();
        ASSERT_TRUE(Open());
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_TRUE(EqualRect(&rect, &placed));
        EXPECT_EQ(SendMessageA(g_app.listView, LVM_GETCOLUMNWIDTH, 3, 0), 43);
        EXPECT_TRUE(!Checked(IDM_INCLUDE_STRAYS) && Checked(IDM_INCLUDE_COOKIES));
        EXPECT_EQ(std::make_pair(g_app.settings.sortColumn, g_app.settings.sortDirection), std::make_pair(4L, 1UL));
        EXPECT_EQ(std::string(g_app.settings.openCommand), viewer);
        Close();
    }
}

// A place is taken only when at least 200 x 100 with 20 of its top 30 rows on the screen across 100 pixels;
// a width above 4,096 pixels, like a negative one, becomes the column's default (Entry # 52, URL 300). A sort
// column beyond the table becomes Last Access (a negative one stays: no order), any flag not 0 is 1, and "Open
// Command", stored without its NUL, ends with one within its 512 bytes; a longer one is not taken.
TEST(StoredSettings, OnlyAUsablePlaceAndValuesWithinTheirRangeAreTaken)
{
    const struct { RECT rect; bool placed; } places[] = {   // the test display is 1280 x 1024; the last minimized
        {{100, 50, 900, 650}, true}, {{-8, -8, 1288, 1032}, true}, {{1279, 1023, 2279, 1723}, false},
        {{100, -590, 900, 10}, false}, {{1180, 500, 2180, 900}, true}, {{1181, 500, 2181, 900}, false},
        {{100, -10, 900, 600}, true}, {{100, -11, 900, 600}, false}, {{100, 50, 299, 650}, false},
        {{100, 50, 900, 149}, false}, {{-32000, -32000, -31840, -31973}, false}};
    const struct { LONG stored[2], taken[2]; } widths[] = {
        {{0x7FFFFFFF, 4096}, {52, 4096}}, {{4097, 88}, {52, 88}}, {{-1, 0}, {52, 0}}};
    const struct { DWORD stored; LONG column; DWORD flag; std::string command, taken; } numbers[] = {
        {14, 5, 1, "xyz", "xyz"}, {0xFFFFFFFF, -1, 1, std::string(512, 'a'), std::string(511, 'a')},
        {13, 13, 1, std::string(600, 'b'), ""}, {0, 0, 0, "", ""}};
    const AppSettings& s = g_app.settings;
    for (int i = 0; i < 11; i++) {
        SCOPED_TRACE(i);
        const RECT& r = places[i].rect;
        const auto& w = widths[i % 3];
        const auto& n = numbers[i % 4];
        ClearSettingsKey();
        for (const char* name : {"Include Strays", "Include Cookies", "Sort Column", "Sort Direction"})
            PutDwordSetting(name, n.stored);
        PutSetting("Window Metrics", REG_BINARY, &r, sizeof(r));
        PutSetting("Column Widths", REG_BINARY, w.stored, sizeof(w.stored));
        PutSetting("Open Command", REG_BINARY, n.command.data(), (DWORD)n.command.size());
        SetDefaultSettings(&g_app.settings);
        LoadSettings(&g_app.settings);
        std::vector<LONG> place = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        EXPECT_EQ(std::vector<LONG>({s.window.x, s.window.y, s.window.width, s.window.height}),
                  places[i].placed ? place : std::vector<LONG>(4, (LONG)CW_USEDEFAULT));
        EXPECT_EQ(std::vector<LONG>(s.columnWidths, s.columnWidths + 2), std::vector<LONG>(w.taken, w.taken + 2));
        EXPECT_EQ(std::vector<DWORD>({(DWORD)s.sortColumn, s.sortDirection, s.includeStrays, s.includeCookies}),
                  std::vector<DWORD>({(DWORD)n.column, n.flag, n.flag, n.flag}));
        EXPECT_EQ(std::string(s.openCommand, OPEN_COMMAND_BYTES),
                  n.taken + std::string(OPEN_COMMAND_BYTES - n.taken.size(), '\0'));
    }
    // Without a value read before them (here "Sort Direction"), neither the place nor the widths are taken.
    PutSetting("Sort Direction", REG_BINARY, "", 0);
    PutSetting("Window Metrics", REG_BINARY, &places[0].rect, sizeof(RECT));
    SetDefaultSettings(&g_app.settings);
    LoadSettings(&g_app.settings);
    EXPECT_EQ(std::make_pair(s.window.x, s.columnWidths[1]), std::make_pair((LONG)CW_USEDEFAULT, 300L));
    ClearSettingsKey();
}

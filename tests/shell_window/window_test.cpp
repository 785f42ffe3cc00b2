#include <stdio.h>
#include <string.h>
#include <algorithm>
#include "app_state.h"
#include "cache_seed.h"
#include "entry_status.h"
#include "heap.h"
#include "list_view.h"
#include "listing_builder.h"
#include "listing_summary.h"
#include "resource.h"
#include "settings_key.h"
#include "startup.h"
#include "window_fixture.h"

namespace {

const std::string Site = "http://www.example.com/";
// Three entries used after every sample entry, newest first.
const std::vector<std::string> NewestFirst = {Site + "b.gif", Site + "a/page.htm", Site + "c.css"};

std::vector<std::string> Slice(const std::vector<std::string>& cells, size_t from, size_t count)
{
    return std::vector<std::string>(cells.begin() + from, cells.begin() + from + count);
}

// A stored value as its type followed by its bytes in 32-bit pieces; empty when absent.
std::vector<LONG> Stored(const char* name)
{
    std::vector<BYTE> data;
    DWORD type = 0;
    if (!GetSetting(name, &data, &type))
        return {};
    std::vector<LONG> values(1 + (data.size() + 3) / 4, (LONG)type);
    memcpy(values.data() + 1, data.data(), data.size());
    return values;
}

// A first run (no key) over three known entries, shared by the tests that put back what they change.
struct SeededWindow : MainWindowTest {
    static void SetUpTestSuite()
    {
        ClearUrlCache();
        ClearSettingsKey();
        const struct { const char* name; DWORD size; FILETIME access; } known[] = {
            {"a/page.htm", 3000, MakeFileTime(2005, 3, 9, 10)}, {"b.gif", 5000, MakeFileTime(2005, 3, 10, 8)},
            {"c.css", 100, MakeFileTime(2005, 3, 8)}};
        FILETIME sync = MakeFileTime(2005, 3, 8, 7, 6, 4);
        for (const auto& k : known) {
            SeedEntry entry;
            entry.url = Site + k.name;
            entry.content = std::string(k.size, 'x');
            entry.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
            entry.modified = MakeFileTime(2005, 3, 7, 9, 5, 7);
            entry.expire = MakeFileTime(2030, 1, 1);
            SeedCacheEntry(entry);
            SetCacheEntryTimes(entry.url, &k.access, NULL, &sync);
        }
        SetCacheEntryCounters(Site + "a/page.htm", 5, 600);
        shown.clear();
        Open();
    }
    static void TearDownTestSuite() { Close(); }
    void SetUp() override { ASSERT_TRUE(window); }
    void TearDown() override {}
};

}  // namespace

// A first run's class, title, menu (only item 116 grayed, nothing checked), columns and default placement.
TEST_F(SeededWindow, FirstRunShowsItsClassMenuAndColumns)
{
    char text[64];
    GetClassNameA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Brindlewick");
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Brindlewick");
    EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0);
    EXPECT_EQ(g_app.settings.window.x, (LONG)CW_USEDEFAULT);
    std::vector<std::string> items, columns;
    for (UINT id : {IDM_SCAN_CACHE, IDM_LOAD_NEW_LISTING, IDM_LOAD_SUBSEQUENT_SCAN, IDM_REMOVE_DELETIONS, IDM_SAVE_LISTING,
                    IDM_ABOUT, IDM_QUIT, IDM_INCLUDE_STRAYS, IDM_INCLUDE_COOKIES, IDM_SET_OPEN_COMMAND}) {
        GetMenuStringA(GetMenu(window), id, text, sizeof(text), MF_BYCOMMAND);
        UINT state = GetMenuState(GetMenu(window), id, MF_BYCOMMAND);
        items.push_back(std::string(text, strcspn(text, "\t")) + (state & MF_GRAYED ? " (grayed)" : "") +
                        (state & MF_CHECKED ? " (checked)" : ""));
    }
    EXPECT_EQ(items, (std::vector<std::string>{"Scan Cache", "Load as a New Listing", "Load as a Subsequent Scan (grayed)",
                                               "Remove Deletions", "Save Listing", "About Brindlewick", "Quit",
                                               "Include strays", "Include Cookies", "Set Open Command"}));
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = sizeof(text);
    for (int i = 0; SendMessageA(g_app.listView, LVM_GETCOLUMNA, i, (LPARAM)&column); i++)
        columns.push_back(text + (" " + std::to_string(column.cx)));
    EXPECT_EQ(columns, (std::vector<std::string>{"Entry # 52", "URL 300", "Status 52", "Local File 100", "Size 52",
                                                 "Last Access 115", "Last Modified 115", "Last Sync'ed 115", "Flags 50",
                                                 "HR 30", "UC 30", "Exempt 50", "Expire Time 115",
                                                 "HTTP Response Header 300"}));
}

// The first scan's rows, newest first, with the cache's values and totals; part 1 waits for strays.
TEST_F(SeededWindow, RowsShowTheScannedEntriesNewestFirst)
{
    std::vector<CachedRecord> records = ReadCacheDirectly();
    records.erase(std::remove_if(records.begin(), records.end(), [](auto& r) { return r.type == COOKIE_ENTRY; }),
                  records.end());
    ASSERT_EQ(RowCount(), (int)records.size());
    EXPECT_EQ(Slice(Column(1), 0, 3), NewestFirst);
    auto page = std::find_if(records.begin(), records.end(), [](auto& r) { return r.url == Site + "a/page.htm"; });
    const std::string cells[] = {std::to_string(page - records.begin()), page->url, "", page->localFile, "3000",
                                 "2005/03/09 10:00.00", "2005/03/07 9:05.07", "2005/03/08 7:06.04", "       1", "5",
                                 "0", "600", "2030/01/01 0:00.00", "HTTP/1.1 200 OK  Content-Type: text/html    ", "*"};
    for (int column = 0; column < 15; column++)
        EXPECT_EQ(Cell(1, column), cells[column]) << "column " << column;
    std::string counts = "NumEntries: " + std::to_string(RowCount()) + "   ClusterSize: 4096";
    EXPECT_NE(StatusText(0).find(counts), std::string::npos) << StatusText(0);
    EXPECT_EQ(StatusText(1), "");
    g_app.settings.includeStrays = 1;
    ShowListingSummary(&g_app.mainListing);
    EXPECT_EQ(StatusText(1), "Size of strays: 0   NumStrays: 0");
    g_app.settings.includeStrays = 0;
    EXPECT_TRUE(shown.empty());
}

// A click on the sorted column reverses the order; another column keeps the direction in force.
TEST_F(SeededWindow, HeaderClicksReverseOrChangeTheOrder)
{
    auto bySize = [](const std::string& a, const std::string& b) { return std::stoll(a) < std::stoll(b); };
    ClickHeader(5);
    EXPECT_EQ(Slice(Column(1), RowCount() - 3, 3), (std::vector<std::string>(NewestFirst.rbegin(), NewestFirst.rend())));
    ClickHeader(4);
    std::vector<std::string> sizes = Column(4);
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end(), bySize));
    ClickHeader(4);
    sizes = Column(4);
    EXPECT_TRUE(std::is_sorted(sizes.rbegin(), sizes.rend(), bySize));
    ClickHeader(5);
    EXPECT_EQ(Slice(Column(1), 0, 3), NewestFirst);
}

// The list fills the client area above the status bar at every size.
TEST_F(SeededWindow, ResizingKeepsTheListAboveTheStatusBar)
{
    for (SIZE size : {SIZE{420, 760}, SIZE{1000, 300}, SIZE{1200, 700}}) {
        SCOPED_TRACE(size.cx);
        SetWindowPos(window, NULL, 20, 20, size.cx, size.cy, SWP_NOZORDER);
        RECT client, list, status;
        GetClientRect(window, &client);
        GetWindowRect(g_app.listView, &list);
        GetWindowRect(g_app.statusBar, &status);
        MapWindowPoints(NULL, window, (POINT*)&list, 2);
        MapWindowPoints(NULL, window, (POINT*)&status, 2);
        EXPECT_EQ((std::vector<LONG>{list.left, list.top, list.right, list.bottom, status.bottom}),
                  (std::vector<LONG>{0, 0, client.right, status.top, client.bottom}));
    }
}

// Cell formats, 40,000 rows all reachable, and no text for a position without an entry.
TEST_F(SeededWindow, HandBuiltListingOfFortyThousandRows)
{
    TestListing hand;
    std::swap(g_app.mainListing, *hand.get());
    Listing* main = &g_app.mainListing;
    CacheEntry* stray = AddEntry(main, nullptr, "C:\\cache\\AB12\\stray.bin");
    stray->typeFlags = 0x20;
    stray->size = stray->hitRate = 0xFFFFFFFF;
    stray->exemptDelta = 0x80000000;
    stray->lastAccess = FILETIME{0xFFFFFFFF, 0xFFFFFFFF};
    CacheEntry* backup = AddEntry(main, Site.c_str(), nullptr, "HTTP/1.1 200 OK");
    backup->typeFlags = 0x80000001;
    backup->status = STATUS_DELETED;
    backup->useCount = 3;
    while (main->count < 40000)
        AddEntry(main, "http://www.example.com/x", "C:\\cache\\x")->size = 1;
    ReplaceListRows(main);
    const struct { int row, column; const char* text; } cells[] = {
        {0, 1, ""}, {0, 2, ""}, {0, 4, "4294967295"}, {0, 5, "None"}, {0, 6, "None"}, {0, 8, "      20"},
        {0, 9, "-1"}, {0, 11, "2147483648"}, {0, 13, ""}, {0, 99, "*"}, {1, 2, "Deleted"}, {1, 3, ""},
        {1, 8, "80000001"}, {1, 10, "3"}, {1, 13, "HTTP/1.1 200 OK"}, {32767, 0, "32767"}, {39999, 0, "39999"}};
    EXPECT_EQ(RowCount(), 40000);
    for (const auto& c : cells)
        EXPECT_EQ(Cell(c.row, c.column), c.text) << "row " << c.row << " column " << c.column;
    char untouched[] = "untouched";
    for (int row : {-1, 40000}) {
        NMLVDISPINFOA info = {};
        info.hdr.code = LVN_GETDISPINFOA;
        info.item.iItem = row;
        info.item.pszText = untouched;
        EXPECT_EQ(SendMessageA(window, WM_NOTIFY, IDC_LIST_VIEW, (LPARAM)&info), 1);
        EXPECT_EQ(info.item.pszText, untouched) << "row " << row;
    }
    std::swap(g_app.mainListing, *hand.get());
    ReplaceListRows(&g_app.mainListing);
}

// Close box and Quit each write the key once, dragged width included; the next start applies it
// unless "Window Metrics" is missing (default place and widths) or off every screen (default place).
TEST_F(MainWindowTest, SettingsWrittenAtTheEndApplyAtTheNextStart)
{
    for (UINT road : {(UINT)WM_COMMAND, (UINT)WM_CLOSE}) {
        SCOPED_TRACE(road == WM_CLOSE ? "close box" : "Quit");
        ClearSettingsKey();
        ASSERT_TRUE(Open());
        SetWindowPos(window, NULL, 100, 80, 800, 600, SWP_NOZORDER);
        SendMessageA(g_app.listView, LVM_SETCOLUMNWIDTH, 3, 43);
        ClickHeader(4);
        Command(IDM_INCLUDE_COOKIES);
        SendMessageA(window, road, road == WM_CLOSE ? 0 : IDM_QUIT, 0);
        EXPECT_EQ(IsWindow(window) != 0, road == WM_COMMAND);
        const std::pair<const char*, std::vector<LONG>> values[] = {
            {"Include Strays", {REG_DWORD, 0}}, {"Include Cookies", {REG_DWORD, 1}}, {"Sort Column", {REG_DWORD, 4}},
            {"Sort Direction", {REG_DWORD, 1}}, {"Window Metrics", {REG_BINARY, 100, 80, 900, 680}},
            {"Column Widths", {REG_BINARY, 52, 300, 52, 43, 52, 115, 115, 115, 50, 30, 30, 50, 115, 300, 0, 0}},
            {"Open Command", {REG_SZ, 0}}};
        for (const auto& value : values)
            EXPECT_EQ(Stored(value.first), value.second) << value.first;
        // Nothing writes the key again on the way out of the message loop.
        DeleteSetting("Open Command");
        EXPECT_EQ(RunMessageLoop(), 0);
        EXPECT_EQ(Stored("Open Command"), std::vector<LONG>{});
        Close();
    }
    // Every start writes the key again at its end: the one that drops the widths comes last.
    const RECT onScreen = {100, 80, 900, 680}, minimized = {-32000, -32000, -31840, -31973};
    const struct { const char* name; const RECT* metrics; bool placed; LONG width; } starts[] = {
        {"as written", &onScreen, true, 43}, {"closed while minimized", &minimized, false, 43},
        {"no Window Metrics", nullptr, false, 100}};
    for (const auto& start : starts) {
        SCOPED_TRACE(start.name);
        start.metrics ? PutSetting("Window Metrics", REG_BINARY, start.metrics, sizeof(RECT))
                      : DeleteSetting("Window Metrics");
        ASSERT_TRUE(Open());
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(EqualRect(&rect, &onScreen) != 0, start.placed);
        EXPECT_NE(MonitorFromWindow(window, MONITOR_DEFAULTTONULL), nullptr);
        EXPECT_EQ(SendMessageA(g_app.listView, LVM_GETCOLUMNWIDTH, 3, 0), start.width);
        EXPECT_EQ(std::make_pair(Checked(IDM_INCLUDE_STRAYS), Checked(IDM_INCLUDE_COOKIES)), std::make_pair(false, true));
        EXPECT_EQ(std::make_pair(g_app.settings.sortColumn, g_app.settings.sortDirection), std::make_pair(4L, 1UL));
        Close();
    }
}

// A first scan out of memory is reported and leaves a listing that the next scan merges into.
TEST_F(MainWindowTest, FirstScanOutOfMemoryLeavesAListingToMergeInto)
{
    HeapFailureGuard heapGuard;
    SeedEntry entry;
    entry.url = Site + "page.htm";
    ASSERT_NE(SeedCacheEntry(entry), "");
    actions.push_back([](HWND box) { FailHeapAfter(-1); PostMessageA(box, WM_COMMAND, IDOK, 0); });
    FailHeapAfter(0);
    ASSERT_TRUE(Open());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Error during initial cache read");
    EXPECT_EQ(RowCount(), 0);
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Column(2), std::vector<std::string>{"Added"});
}

// The dialogs' controls in their places, the five icon images and the version block.
TEST(Resources, DialogsIconAndVersion)
{
    InitCommonControls();
    // The controls of each dialog in their order, `dialog` 0 for the About box, 1 for Set Open Command.
    const struct { int dialog, id; const char* className; POINT at; const char* text; } controls[] = {
        {0, IDOK, "Button", {88, 81}, "OK"}, {0, -1, "Button", {7, 3}, ""}, {0, IDC_ABOUT_ICON, "Static", {14, 13}, nullptr},
        {1, -1, "Button", {7, 3}, ""}, {1, -1, "Static", {13, 11}, nullptr},
        {1, -1, "Static", {13, 51}, "You need not enclose the open command's pathname in quotes."},
        {1, -1, "Static", {7, 94}, "Open Command:"}, {1, IDC_OPEN_COMMAND, "Edit", {66, 92}, ""},
        {1, IDOK, "Button", {7, 116}, "OK"}, {1, IDCANCEL, "Button", {222, 116}, "Cancel"}};
    HWND dialogs[] = {CreateDialogParamA(NULL, MAKEINTRESOURCEA(IDD_ABOUT), NULL, NULL, 0),
                      CreateDialogParamA(NULL, MAKEINTRESOURCEA(IDD_OPEN_COMMAND), NULL, NULL, 0)};
    HWND children[2] = {};
    for (const auto& c : controls) {
        HWND dialog = dialogs[c.dialog], child = children[c.dialog] =
            children[c.dialog] ? GetWindow(children[c.dialog], GW_HWNDNEXT) : GetWindow(dialog, GW_CHILD);
        char name[32] = "", text[128] = "";
        GetClassNameA(child, name, sizeof(name));
        GetWindowTextA(child, text, sizeof(text));
        RECT expected = {c.at.x, c.at.y, 0, 0}, actual;
        MapDialogRect(dialog, &expected);
        GetWindowRect(child, &actual);
        MapWindowPoints(NULL, dialog, (POINT*)&actual, 1);
        EXPECT_EQ(std::make_tuple(std::string(name), GetDlgCtrlID(child), actual.left, actual.top, std::string(c.text ? text : "")),
                  std::make_tuple(std::string(c.className), c.id & 0xFFFF, expected.left, expected.top,
                                  std::string(c.text ? c.text : "")));
    }
    DestroyWindow(dialogs[0]);
    DestroyWindow(dialogs[1]);
    HRSRC icons = FindResourceA(NULL, MAKEINTRESOURCEA(IDI_BRINDLEWICK), (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(((const WORD*)LockResource(LoadResource(NULL, icons)))[2], 5);   // images in the group
    // The version block: VS_FIXEDFILEINFO after its 40-byte header, then the texts in UTF-16.
    HRSRC version = FindResourceA(NULL, MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION);
    const BYTE* block = (const BYTE*)LockResource(LoadResource(NULL, version));
    const VS_FIXEDFILEINFO* fixed = (const VS_FIXEDFILEINFO*)(block + 40);
    EXPECT_EQ((std::vector<DWORD>{fixed->dwSignature, fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                                  fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
              (std::vector<DWORD>{0xFEEF04BD, 0x00020001, 16, 0x00020001, 16}));
    std::wstring texts((const wchar_t*)block, SizeofResource(NULL, version) / 2);
    for (const wchar_t* text : {L"A program for monitoring activity in the Internet Explorer cache", L"Brindlewick",
                                L"Tallowmere", L"2.1.0.16"})
        EXPECT_NE(texts.find(text), std::wstring::npos) << text;
}

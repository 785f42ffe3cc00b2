#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>
#include "app_state.h"
#include "cache_seed.h"
#include "column_table.h"
#include "entry_time.h"
#include "main_window.h"
#include "resource.h"
#include "settings_key.h"
#include "startup.h"
#include "window_fixture.h"

namespace {

struct Seeded {
    const char* url;
    DWORD size;
    FILETIME access;
};

// Three entries with distinct sizes and access times; by last access, newest
// first, they come as gif, htm, css.
void SeedThree()
{
    const Seeded entries[] = {
        {"http://www.example.com/a/page.htm", 3000, MakeFileTime(2005, 3, 9, 10)},
        {"http://www.example.com/b.gif", 5000, MakeFileTime(2005, 3, 10, 8)},
        {"http://www.example.com/c.css", 100, MakeFileTime(2005, 3, 8)},
    };
    for (const Seeded& e : entries) {
        SeedEntry entry;
        entry.url = e.url;
        entry.content = std::string(e.size, 'x');
        if (strstr(e.url, "page.htm")) {
            entry.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
            entry.modified = MakeFileTime(2005, 3, 7, 9, 5, 7);
            entry.expire = MakeFileTime(2030, 1, 1);
        }
        ASSERT_NE(SeedCacheEntry(entry), "");
        ASSERT_TRUE(SetCacheEntryTimes(e.url, &e.access, NULL, NULL));
    }
    ASSERT_TRUE(SetCacheEntryCounters("http://www.example.com/a/page.htm", 5, 600));
}

const std::vector<std::string> NewestFirst = {
    "http://www.example.com/b.gif", "http://www.example.com/a/page.htm", "http://www.example.com/c.css"};
const std::vector<std::string> OldestFirst = {
    "http://www.example.com/c.css", "http://www.example.com/a/page.htm", "http://www.example.com/b.gif"};
const std::vector<std::string> SmallestFirst = OldestFirst;
const std::vector<std::string> LargestFirst = NewestFirst;

std::string MenuText(HMENU menu, UINT id, UINT flags = MF_BYCOMMAND)
{
    char text[128] = "";
    GetMenuStringA(menu, id, text, sizeof(text), flags);
    return text;
}

std::string TimeText(const FILETIME& time)
{
    char text[ENTRY_TIME_TEXT];
    FormatEntryTime(text, &time);
    return text;
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(NULL, parent, (POINT*)&rect, 2);
    return rect;
}

bool Checked(HWND window, UINT id)
{
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

LONG StoredLong(const char* name, int index = 0)
{
    std::vector<BYTE> data;
    DWORD type;
    if (!GetSetting(name, &data, &type) || data.size() < (size_t)(index + 1) * 4)
        return -12345;
    LONG value;
    memcpy(&value, data.data() + index * 4, 4);
    return value;
}

void PutEverythingBut(const char* left, RECT rect)
{
    const char* dwords[] = {"Include Strays", "Include Cookies", "Sort Column", "Sort Direction"};
    const DWORD values[] = {1, 1, 4, 0};
    for (int i = 0; i < 4; i++) {
        if (strcmp(dwords[i], left) != 0)
            PutDwordSetting(dwords[i], values[i]);
    }
    if (strcmp("Window Metrics", left) != 0)
        PutSetting("Window Metrics", REG_BINARY, &rect, sizeof(rect));
    LONG widths[COLUMN_WIDTH_SLOTS] = {};
    for (int i = 0; i < COLUMN_COUNT; i++)
        widths[i] = 40 + i;
    PutSetting("Column Widths", REG_BINARY, widths, sizeof(widths));
    PutSetting("Open Command", REG_SZ, "viewer.exe", 11);
}

}  // namespace

TEST_F(MainWindowTest, FirstRunMakesTheWindowWithItsClassMenuControlsAndDefaults)
{
    ASSERT_TRUE(Open());
    char text[64];
    GetClassNameA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Brindlewick");
    GetWindowTextA(window, text, sizeof(text));
    EXPECT_STREQ(text, "Brindlewick");
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & 0x00020300, 0x00020300);
    EXPECT_TRUE(IsWindowVisible(window));
    WNDCLASSA windowClass;
    ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(NULL), "Brindlewick", &windowClass));
    EXPECT_EQ(windowClass.lpfnWndProc, MainWindowProc);
    EXPECT_NE(windowClass.hIcon, nullptr);
    EXPECT_EQ(windowClass.hbrBackground, (HBRUSH)6);

    HMENU menu = GetMenu(window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuText(menu, 0, MF_BYPOSITION), "Action");
    EXPECT_EQ(MenuText(menu, 1, MF_BYPOSITION), "Options");
    const struct {
        UINT id;
        const char* caption;
    } items[] = {
        {40001, "Scan Cache"}, {115, "Load as a New Listing"}, {116, "Load as a Subsequent Scan"},
        {40005, "Remove Deletions"}, {40006, "Save Listing"}, {40003, "About Brindlewick"},
        {40002, "Quit"}, {40007, "Include strays"}, {40008, "Include Cookies"}, {110, "Set Open Command"},
    };
    for (const auto& item : items) {
        SCOPED_TRACE(item.caption);
        EXPECT_EQ(MenuText(menu, item.id), item.caption);
        UINT state = GetMenuState(menu, item.id, MF_BYCOMMAND);
        EXPECT_EQ((state & MF_GRAYED) != 0, item.id == 116);
        EXPECT_EQ(state & MF_CHECKED, 0u);
    }
    EXPECT_EQ(MenuText(GetSubMenu(menu, 0), 1, MF_BYPOSITION), "Load Cache Backup File");

    // The list view and the two-part status bar.
    ASSERT_NE(g_app.listView, nullptr);
    EXPECT_EQ(GetDlgCtrlID(g_app.listView), 100);
    EXPECT_EQ((DWORD)GetWindowLongA(g_app.listView, GWL_STYLE) & 0x5000000Du, 0x5000000Du);
    EXPECT_EQ(SendMessageA(g_app.listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x4020, 0x4020);
    int parts[3] = {};
    EXPECT_EQ(SendMessageA(g_app.statusBar, SB_GETPARTS, 3, (LPARAM)parts), 2);
    EXPECT_EQ(parts[0], 600);
    EXPECT_EQ(parts[1], -1);

    // An empty cache: no rows, and the summary replaced the invitation.
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(StatusText(0), "CurSize: 0   Amt added: 0   Amt Del'd: 0   NumEntries: 0   ClusterSize: 0");
    EXPECT_EQ(g_app.settings.sortColumn, 5);
    EXPECT_EQ(g_app.settings.sortDirection, 1u);
    EXPECT_EQ(g_app.settings.window.x, (LONG)CW_USEDEFAULT);
}

TEST_F(MainWindowTest, StatusBarInvitesUntilTheFirstSummary)
{
    SetStartupDefaults(GetModuleHandleA(NULL));
    ASSERT_TRUE(RegisterMainClass());
    window = CreateMainWindow(SW_SHOWNORMAL);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(StatusText(0), StatusInvitation);
    EXPECT_NE(std::string(StatusInvitation).find("Tallowmere"), std::string::npos);
}

TEST_F(MainWindowTest, ColumnsCarryTheirCaptionsAndWidths)
{
    ASSERT_TRUE(Open());
    for (int i = 0; i <= COLUMN_COUNT; i++) {
        SCOPED_TRACE(i);
        char caption[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = caption;
        column.cchTextMax = sizeof(caption);
        BOOL exists = (BOOL)SendMessageA(g_app.listView, LVM_GETCOLUMNA, i, (LPARAM)&column);
        if (i == COLUMN_COUNT) {
            EXPECT_FALSE(exists);
            break;
        }
        ASSERT_TRUE(exists);
        EXPECT_STREQ(caption, ColumnTable[i].caption);
        EXPECT_EQ(column.cx, ColumnTable[i].defaultWidth);
    }
    const char* captions[] = {"Entry #", "URL", "Status", "Local File", "Size", "Last Access", "Last Modified",
                              "Last Sync'ed", "Flags", "HR", "UC", "Exempt", "Expire Time",
                              "HTTP Response Header"};
    const LONG widths[] = {52, 300, 52, 100, 52, 115, 115, 115, 50, 30, 30, 50, 115, 300};
    for (int i = 0; i < COLUMN_COUNT; i++) {
        EXPECT_STREQ(ColumnTable[i].caption, captions[i]);
        EXPECT_EQ(ColumnTable[i].defaultWidth, widths[i]);
    }
    EXPECT_EQ(ColumnTable[COLUMN_COUNT].caption, nullptr);
}

TEST_F(MainWindowTest, RowsShowTheScannedEntriesNewestFirst)
{
    SeedThree();
    // Entry numbers follow WinINet's enumeration order.
    std::vector<CachedRecord> records = ReadCacheDirectly();
    ASSERT_EQ(records.size(), 3u);
    ASSERT_TRUE(Open());
    ASSERT_EQ(RowCount(), 3);
    EXPECT_EQ(Column(1), NewestFirst);

    for (size_t n = 0; n < records.size(); n++) {
        const CachedRecord& r = records[n];
        SCOPED_TRACE(r.url);
        int row = 0;
        while (row < 3 && Cell(row, 1) != r.url)
            row++;
        ASSERT_LT(row, 3);
        char flags[16];
        snprintf(flags, sizeof(flags), "%8lX", (unsigned long)r.type);
        std::string expected[] = {
            std::to_string(n), r.url, "", r.localFile, std::to_string(r.size), TimeText(r.lastAccess),
            TimeText(r.lastModified), TimeText(r.lastSync), flags, std::to_string(r.hitRate),
            std::to_string(r.useCount), std::to_string(r.exemptDelta), TimeText(r.expire), "", "*",
        };
        if (r.url.find("page.htm") != std::string::npos) {
            expected[13] = "HTTP/1.1 200 OK  Content-Type: text/html    ";
            EXPECT_EQ(expected[4], "3000");
            EXPECT_EQ(expected[5], "2005/03/09 10:00.00");
            EXPECT_EQ(expected[6], "2005/03/07 9:05.07");
            EXPECT_EQ(expected[9], "5");
            EXPECT_EQ(expected[11], "600");
            EXPECT_EQ(expected[12], "2030/01/01 0:00.00");
        }
        for (int column = 0; column <= COLUMN_COUNT; column++)
            EXPECT_EQ(Cell(row, column), expected[column]) << "column " << column;
    }
    // Sizes on disk in whole 4,096-byte clusters: 4,096 + 8,192 + 4,096.
    EXPECT_EQ(StatusText(0), "CurSize: 16384   Amt added: 0   Amt Del'd: 0   NumEntries: 3   ClusterSize: 4096");
    EXPECT_EQ(g_app.scanListing.clusterSize, 4096u);
}

TEST_F(MainWindowTest, HeaderClicksReverseTheSortedColumnAndKeepTheDirectionForAnother)
{
    SeedThree();
    ASSERT_TRUE(Open());
    ClickHeader(5);
    EXPECT_EQ(g_app.settings.sortDirection, 0u);
    EXPECT_EQ(Column(1), OldestFirst);
    ClickHeader(4);
    EXPECT_EQ(g_app.settings.sortColumn, 4);
    EXPECT_EQ(g_app.settings.sortDirection, 0u);
    EXPECT_EQ(Column(1), SmallestFirst);
    ClickHeader(4);
    EXPECT_EQ(g_app.settings.sortDirection, 1u);
    EXPECT_EQ(Column(1), LargestFirst);
    EXPECT_EQ(Column(4), (std::vector<std::string>{"5000", "3000", "100"}));
}

TEST_F(MainWindowTest, ResizingKeepsTheListAboveTheStatusBar)
{
    ASSERT_TRUE(Open());
    const SIZE sizes[] = {{700, 500}, {1000, 300}, {420, 760}};
    for (const SIZE& size : sizes) {
        SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy));
        SetWindowPos(window, NULL, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client, list = ChildRect(window, g_app.listView), status = ChildRect(window, g_app.statusBar);
        GetClientRect(window, &client);
        EXPECT_EQ(list.left, 0);
        EXPECT_EQ(list.top, 0);
        EXPECT_EQ(list.right, client.right);
        EXPECT_EQ(list.bottom, status.top);
        EXPECT_EQ(status.bottom, client.bottom);
    }
}

TEST_F(MainWindowTest, ClosingWritesEverySettingOnceWithTheDraggedWidths)
{
    ASSERT_TRUE(Open());
    SendMessageA(g_app.listView, LVM_SETCOLUMNWIDTH, 1, 222);
    ClickHeader(4);
    SendMessageA(window, WM_COMMAND, IDM_INCLUDE_COOKIES, 0);
    RECT rect;
    GetWindowRect(window, &rect);

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(StoredLong("Include Strays"), 0);
    EXPECT_EQ(StoredLong("Include Cookies"), 1);
    EXPECT_EQ(StoredLong("Sort Column"), 4);
    EXPECT_EQ(StoredLong("Sort Direction"), 1);
    EXPECT_EQ(StoredLong("Window Metrics", 0), rect.left);
    EXPECT_EQ(StoredLong("Window Metrics", 1), rect.top);
    EXPECT_EQ(StoredLong("Window Metrics", 2), rect.right);
    EXPECT_EQ(StoredLong("Window Metrics", 3), rect.bottom);
    for (int i = 0; i < COLUMN_COUNT; i++)
        EXPECT_EQ(StoredLong("Column Widths", i), i == 1 ? 222 : ColumnTable[i].defaultWidth) << i;
    EXPECT_EQ(StoredLong("Column Widths", 14), 0);
    EXPECT_EQ(StoredLong("Column Widths", 15), 0);
    const struct {
        const char* name;
        DWORD type;
        size_t size;
    } values[] = {
        {"Include Strays", REG_DWORD, 4}, {"Include Cookies", REG_DWORD, 4}, {"Sort Column", REG_DWORD, 4},
        {"Sort Direction", REG_DWORD, 4}, {"Window Metrics", REG_BINARY, 16},
        {"Column Widths", REG_BINARY, 64}, {"Open Command", REG_SZ, 1},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.name);
        std::vector<BYTE> data;
        DWORD type = 0;
        ASSERT_TRUE(GetSetting(v.name, &data, &type));
        EXPECT_EQ(type, v.type);
        EXPECT_EQ(data.size(), v.size);
    }

    // The quit message ends the loop; nothing writes the key again on the way out.
    ClearSettingsKey();
    EXPECT_EQ(RunMessageLoop(), 0);
    ShutDown();
    window = NULL;
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(MainWindowTest, QuitWritesTheSettingsOnceAndLeavesTheWindowToTheProcess)
{
    ASSERT_TRUE(Open());
    ClickHeader(2);
    PostMessageA(window, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(StoredLong("Sort Column"), 2);
    EXPECT_EQ(StoredLong("Column Widths", 1), 300);
    ClearSettingsKey();
    EXPECT_FALSE(PumpUntilIdle());
    ShutDown();
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(MainWindowTest, StoredSettingsPlaceTheWindowAndSetOrderChecksAndWidths)
{
    SeedThree();
    const RECT stored = {100, 80, 900, 680};
    PutEverythingBut("", stored);
    ASSERT_TRUE(Open());
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, stored.left);
    EXPECT_EQ(rect.top, stored.top);
    EXPECT_EQ(rect.right, stored.right);
    EXPECT_EQ(rect.bottom, stored.bottom);
    EXPECT_TRUE(Checked(window, IDM_INCLUDE_STRAYS));
    EXPECT_TRUE(Checked(window, IDM_INCLUDE_COOKIES));
    EXPECT_EQ(Column(1), SmallestFirst);
    EXPECT_EQ(SendMessageA(g_app.listView, LVM_GETCOLUMNWIDTH, 3, 0), 43);
    EXPECT_STREQ(g_app.settings.openCommand, "viewer.exe");

    // The option commands flip the options and their check marks.
    SendMessageA(window, WM_COMMAND, IDM_INCLUDE_STRAYS, 0);
    EXPECT_FALSE(Checked(window, IDM_INCLUDE_STRAYS));
    EXPECT_EQ(g_app.settings.includeStrays, 0u);
    SendMessageA(window, WM_COMMAND, IDM_INCLUDE_STRAYS, 0);
    EXPECT_TRUE(Checked(window, IDM_INCLUDE_STRAYS));
    EXPECT_EQ(g_app.settings.includeStrays, 1u);
}

TEST_F(MainWindowTest, KeyWithoutWindowMetricsKeepsDefaultPlaceAndWidths)
{
    SeedThree();
    PutEverythingBut("Window Metrics", RECT{});
    ASSERT_TRUE(Open());
    EXPECT_EQ(g_app.settings.window.x, (LONG)CW_USEDEFAULT);
    EXPECT_EQ(g_app.settings.window.width, (LONG)CW_USEDEFAULT);
    EXPECT_EQ(SendMessageA(g_app.listView, LVM_GETCOLUMNWIDTH, 3, 0), ColumnTable[3].defaultWidth);
    EXPECT_TRUE(Checked(window, IDM_INCLUDE_COOKIES));
    EXPECT_EQ(Column(1), SmallestFirst);
}

TEST_F(MainWindowTest, RectangleStoredWhileMinimizedOpensTheWindowOnScreen)
{
    PutEverythingBut("", RECT{-32000, -32000, -31840, -31973});
    ASSERT_TRUE(Open());
    RECT rect, work, common;
    GetWindowRect(window, &rect);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(IntersectRect(&common, &rect, &work));
    EXPECT_GT(rect.right - rect.left, 160);
    // The widths still come from the key: only the rectangle was refused.
    EXPECT_EQ(SendMessageA(g_app.listView, LVM_GETCOLUMNWIDTH, 3, 0), 43);
}

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>
#include "app_state.h"
#include "entry_status.h"
#include "list_view.h"
#include "listing_builder.h"
#include "window_fixture.h"

namespace {

// The main window over an empty cache, whose main listing the tests then fill by
// hand and show with AddListRows.
struct ListRowsTest : MainWindowTest {
    Listing* main = &g_app.mainListing;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(Open());
        ASSERT_EQ(main->count, 0);
    }
    void ShowAll()
    {
        SendMessageA(g_app.listView, LVM_DELETEALLITEMS, 0, 0);
        SendMessageA(g_app.listView, LVM_SETITEMCOUNT, main->count, 0);
        ASSERT_TRUE(AddListRows(main, FALSE));
    }
};

}  // namespace

TEST_F(ListRowsTest, EveryEntryOfALargeListingBecomesARow)
{
    const LONG total = 40000;
    for (LONG i = 0; i < total; i++)
        ASSERT_NE(AddEntry(main, "http://www.example.com/x", "C:\\cache\\x"), nullptr);
    ShowAll();
    ASSERT_EQ(RowCount(), total);
    for (LONG row : {0L, 32766L, 32767L, 32768L, total - 1}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Cell(row, 0), std::to_string(row));
    }
}

TEST_F(ListRowsTest, CellsUseTheirFormats)
{
    CacheEntry* stray = AddEntry(main, nullptr, "C:\\cache\\AB12\\stray.bin");
    stray->typeFlags = 0x20;
    stray->size = 0xFFFFFFFF;
    stray->hitRate = 0xFFFFFFFF;
    stray->exemptDelta = 0x80000000;
    stray->lastAccess = FILETIME{0xFFFFFFFF, 0xFFFFFFFF};   // no valid date
    CacheEntry* cookie = AddEntry(main, "Cookie:user@example.com/", "", nullptr);
    cookie->typeFlags = 0x00100000;
    cookie->status = STATUS_ADDED;
    CacheEntry* backup = AddEntry(main, "http://www.example.com/", nullptr, "HTTP/1.1 200 OK");
    backup->typeFlags = 0x80000001;
    backup->status = STATUS_DELETED;
    backup->useCount = 3;
    ShowAll();

    const struct {
        int row;
        int column;
        const char* text;
    } cases[] = {
        {0, 0, "0"}, {0, 1, ""}, {0, 2, ""}, {0, 3, "C:\\cache\\AB12\\stray.bin"}, {0, 4, "4294967295"},
        {0, 5, "None"}, {0, 6, "None"}, {0, 7, "None"}, {0, 8, "      20"}, {0, 9, "-1"},
        {0, 11, "2147483648"}, {0, 12, "None"}, {0, 13, ""}, {0, 14, "*"}, {0, 99, "*"},
        {1, 1, "Cookie:user@example.com/"}, {1, 2, "Added"}, {1, 8, "  100000"},
        {2, 2, "Deleted"}, {2, 3, ""}, {2, 8, "80000001"}, {2, 10, "3"}, {2, 13, "HTTP/1.1 200 OK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " column " + std::to_string(c.column));
        EXPECT_EQ(Cell(c.row, c.column), c.text);
    }
}

TEST_F(ListRowsTest, RequestsForPositionsWithoutAnEntryGetNoText)
{
    AddEntry(main, "http://www.example.com/", "C:\\cache\\a.htm");
    ShowAll();
    char sentinel[] = "untouched";
    for (int row : {-1, -1000, 1, 2, 100000}) {
        SCOPED_TRACE(row);
        NMLVDISPINFOA info = {};
        info.hdr.hwndFrom = g_app.listView;
        info.hdr.idFrom = 100;
        info.hdr.code = LVN_GETDISPINFOA;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = row;
        info.item.iSubItem = 1;
        info.item.pszText = sentinel;
        EXPECT_EQ(SendMessageA(window, WM_NOTIFY, 100, (LPARAM)&info), 1);
        EXPECT_EQ(info.item.pszText, sentinel);
    }
}

TEST_F(ListRowsTest, NewRowsAfterAMergeAreTheAddedEntriesOnly)
{
    for (int i = 0; i < 3; i++)
        AddEntry(main, "http://www.example.com/old", "C:\\cache\\old");
    ShowAll();
    ASSERT_EQ(RowCount(), 3);
    // A merge appends its new entries; hidden ones show an empty status.
    AddEntry(main, "http://www.example.com/new", "C:\\cache\\new")->status = STATUS_ADDED;
    AddEntry(main, "Cookie:user@example.com/", "")->status = STATUS_ADDED_HIDDEN;
    EXPECT_TRUE(AddListRows(main, TRUE));
    EXPECT_EQ(RowCount(), 5);
    EXPECT_EQ(EntryAt(main, 4)->status, STATUS_UNCHANGED);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"", "", "", "Added", ""}));
    EXPECT_EQ(Cell(4, 1), "Cookie:user@example.com/");
}

TEST_F(ListRowsTest, CompactionDropsDeletedRowsAndRebuildsTheList)
{
    const char* urls[] = {"http://d.example/1", "http://c.example/2", "http://b.example/3", "http://a.example/4"};
    for (const char* url : urls)
        AddEntry(main, url, "C:\\cache\\f");
    EntryAt(main, 1)->status = STATUS_DELETED;
    ShowAll();
    g_app.settings.sortColumn = 1;
    g_app.settings.sortDirection = 0;
    EXPECT_EQ(RefreshAfterCompaction(), 0u);
    EXPECT_EQ(main->count, 3);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"http://a.example/4", "http://b.example/3", "http://d.example/1"}));
}

TEST_F(ListRowsTest, HeaderClickOnAnEmptyListingOnlyRecordsTheColumn)
{
    ClickHeader(5);
    EXPECT_EQ(g_app.settings.sortColumn, 5);
    EXPECT_EQ(g_app.settings.sortDirection, 0u);
    ClickHeader(9);
    EXPECT_EQ(g_app.settings.sortColumn, 9);
    EXPECT_EQ(g_app.settings.sortDirection, 0u);
    EXPECT_EQ(RowCount(), 0);
}

#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>
#include <windows.h>
#include "app_state.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "entry_index.h"
#include "entry_status.h"
#include "heap.h"
#include "listing_builder.h"
#include "merge.h"
#include "window_fixture.h"

namespace {

std::vector<std::string> boxTexts;

// Answers every message box of the thread with OK, notes its text, and lets the
// heap work again, so that what follows the box runs normally.
LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = (HWND)wParam;
        char name[32] = "";
        GetClassNameA(box, name, sizeof(name));
        if (strcmp(name, "#32770") == 0) {
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            boxTexts.push_back(text);
            FailHeapAfter(-1);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

struct FirstScanTest : MainWindowTest {
    HHOOK hook = NULL;
    HeapFailureGuard heapGuard;
    void SetUp() override
    {
        MainWindowTest::SetUp();
        boxTexts.clear();
        hook = SetWindowsHookExA(WH_CBT, AnswerMessageBoxes, NULL, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(hook);
        MainWindowTest::TearDown();
    }
};

}  // namespace

TEST_F(FirstScanTest, ScanOutOfMemoryIsReportedAndLeavesAListingToMergeInto)
{
    SeedEntry entry;
    entry.url = "http://www.example.com/page.htm";
    ASSERT_NE(SeedCacheEntry(entry), "");
    FailHeapAfter(0);
    ASSERT_TRUE(Open());
    EXPECT_EQ(boxTexts, std::vector<std::string>{"Error during initial cache read"});
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(RowCount(), 0);

    // The main listing has its pools and indexes again.
    Listing* main = &g_app.mainListing;
    EXPECT_NE(main->records, nullptr);
    EXPECT_NE(main->strings, nullptr);
    EXPECT_GT(main->byLocalFile.tableSize, 0u);
    EXPECT_GT(main->byUrl.tableSize, 0u);

    // So the next scan merges into it and its entry arrives as Added.
    Listing* scan = &g_app.scanListing;
    ScanCache(scan);
    ASSERT_EQ(scan->error, 0u);
    ASSERT_EQ(BuildIndex(&scan->byLocalFile, scan), 0u);
    ASSERT_EQ(BuildIndex(&scan->byUrl, scan), 0u);
    EXPECT_EQ(MergeEntries(main, scan), 0u);
    FreeListing(scan);
    ASSERT_EQ(main->count, 1);
    EXPECT_EQ(EntryAt(main, 0)->status, STATUS_ADDED);
}

TEST_F(FirstScanTest, SuccessfulScanShowsNoMessage)
{
    SeedEntry entry;
    entry.url = "http://www.example.com/page.htm";
    ASSERT_NE(SeedCacheEntry(entry), "");
    ASSERT_TRUE(Open());
    EXPECT_TRUE(boxTexts.empty());
    EXPECT_EQ(RowCount(), 1);
}

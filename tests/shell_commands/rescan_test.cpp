#include <gtest/gtest.h>
#include <map>
#include <string>
#include <windows.h>
#include <wininet.h>
#include "app_state.h"
#include "cache_seed.h"
#include "command_fixture.h"
#include "heap.h"
#include "listing_builder.h"
#include "resource.h"
#include "settings_key.h"

namespace {

const std::string Site = "http://www.example.com/";

// Makes a stray file (a file no entry names) an entry of the cache.
bool CommitFileAs(const std::string& url, const std::string& file)
{
    return CommitUrlCacheEntryA(url.c_str(), file.c_str(), FILETIME{0, 0}, FILETIME{0, 0}, NORMAL_ENTRY, NULL, 0,
                                NULL, NULL) != FALSE;
}

}  // namespace

TEST_F(CommandWindowTest, ScanCacheMarksWhatHappenedToEveryRow)
{
    PutDwordSetting("Include Strays", 1);
    for (const char* name : {"keep.htm", "gone.htm", "visit.htm", "update.htm", "counters.htm", "move.htm"})
        ASSERT_NE(SeedUrl(Site + name), "") << name;
    std::string folder = CacheSubfolder();
    MadeFile finished(folder + "finished.bin", "x");
    ASSERT_TRUE(OpenWindow());
    ASSERT_EQ(RowCount(), 7);
    EXPECT_EQ(StatusOf(finished.path), "");

    // Everything that can happen to an entry between two scans.
    ASSERT_NE(SeedUrl(Site + "new.htm"), "");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    FILETIME later = MakeFileTime(2031, 5, 6, 7, 8, 9);
    ASSERT_TRUE(SetCacheEntryTimes(Site + "visit.htm", &later, NULL, NULL));
    ASSERT_TRUE(SetCacheEntryTimes(Site + "update.htm", NULL, &later, NULL));
    ASSERT_TRUE(SetCacheEntryCounters(Site + "counters.htm", 9, 0));
    ASSERT_NE(SeedUrl(Site + "move.htm"), "");
    ASSERT_TRUE(CommitFileAs(Site + "finished.bin", finished.path));
    MadeFile stray(folder + "stray.dat", "x");

    Command(IDM_SCAN_CACHE);
    const std::map<std::string, std::string> expected = {
        {Site + "keep.htm", ""}, {Site + "gone.htm", "Deleted"}, {Site + "visit.htm", "Rvst'd"},
        {Site + "update.htm", "Updated"}, {Site + "counters.htm", "Chnged"}, {Site + "move.htm", "Moved"},
        {Site + "finished.bin", "Finished"}, {Site + "new.htm", "Added"}, {stray.path, "Added"},
    };
    EXPECT_EQ(Statuses(), expected);
    EXPECT_TRUE(shown.empty());
    // Nine one-byte files of one 4,096-byte cluster each; the stray counts apart.
    EXPECT_EQ(StatusText(0), "CurSize: 32768   Amt added: 8192   Amt Del'd: 4096   NumEntries: 7   ClusterSize: 4096");
    EXPECT_EQ(StatusText(1), "Size of strays: 4096   NumStrays: 1");
    EXPECT_EQ(Column(2).size(), expected.size());
}

TEST_F(CommandWindowTest, KindsSwitchedOffLeaveBeforeTheMergeAndRemoveDeletionsDropsDeletedRows)
{
    PutDwordSetting("Include Strays", 1);
    ASSERT_NE(SeedUrl(Site + "keep.htm"), "");
    ASSERT_NE(SeedUrl(Site + "gone.htm"), "");
    MadeFile stray(CacheSubfolder() + "stray.dat", "x");
    ASSERT_TRUE(OpenWindow());
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    Command(IDM_SCAN_CACHE);
    ASSERT_EQ(StatusOf(Site + "gone.htm"), "Deleted");

    // Strays off and cookies on: the stray and the Deleted row go before the
    // merge, and the cookie comes in as a row without a status.
    SeedEntry cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = COOKIE_ENTRY;
    ASSERT_NE(SeedCacheEntry(cookie), "");
    Command(IDM_INCLUDE_STRAYS);
    Command(IDM_INCLUDE_COOKIES);
    EXPECT_FALSE(Checked(window, IDM_INCLUDE_STRAYS));
    EXPECT_TRUE(Checked(window, IDM_INCLUDE_COOKIES));
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (std::map<std::string, std::string>{{Site + "keep.htm", ""}, {cookie.url, ""}}));
    EXPECT_EQ(StatusText(0), "CurSize: 4096   Amt added: 0   Amt Del'd: 0   NumEntries: 2   ClusterSize: 4096");

    // A row deleted from the cache stays until Remove Deletions.
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "keep.htm").c_str()));
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(StatusOf(Site + "keep.htm"), "Deleted");
    Command(IDM_REMOVE_DELETIONS);
    EXPECT_EQ(Statuses(), (std::map<std::string, std::string>{{cookie.url, ""}}));
    EXPECT_EQ(g_app.mainListing.count, 1);

    // Cookies off: their rows leave as well.
    Command(IDM_INCLUDE_COOKIES);
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(g_app.settings.cookiesAtLastMerge, 0u);
    EXPECT_TRUE(shown.empty());
}

TEST_F(CommandWindowTest, AScanThatBreaksOffIsReportedAndNotMerged)
{
    // The first scan finds nothing to measure the disk by.
    ASSERT_TRUE(OpenWindow());
    EXPECT_EQ(StatusText(0), "CurSize: 0   Amt added: 0   Amt Del'd: 0   NumEntries: 0   ClusterSize: 0");
    ASSERT_NE(SeedUrl(Site + "page.htm"), "");
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(StatusOf(Site + "page.htm"), "Added");
    EXPECT_EQ(StatusText(0), "CurSize: 4096   Amt added: 4096   Amt Del'd: 0   NumEntries: 1   ClusterSize: 4096");

    // Out of memory in the middle of the scan: the message, and the list as it was.
    HeapFailureGuard heapGuard;
    actions.push_back([](HWND box) {
        FailHeapAfter(-1);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_NE(SeedUrl(Site + "other.htm"), "");
    FailHeapAfter(3);
    Command(IDM_SCAN_CACHE);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Error reading cache");
    EXPECT_EQ(shown[0].caption, "Error");
    EXPECT_EQ(Statuses(), (std::map<std::string, std::string>{{Site + "page.htm", "Added"}}));
    EXPECT_EQ(StatusText(0), "CurSize: 4096   Amt added: 4096   Amt Del'd: 0   NumEntries: 1   ClusterSize: 4096");
    EXPECT_EQ(g_app.scanListing.records, nullptr);

    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(),
              (std::map<std::string, std::string>{{Site + "page.htm", ""}, {Site + "other.htm", "Added"}}));
}

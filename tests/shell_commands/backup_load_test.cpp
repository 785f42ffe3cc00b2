#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include "app_state.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "command_fixture.h"
#include "resource.h"
#include "settings_key.h"

namespace {

const std::string Site = "http://www.example.com/";
const std::string Cookie = "Cookie:user@example.com/";

BackupRecordSpec Record(const std::string& url, size_t size, int day, DWORD type = 1)
{
    BackupRecordSpec record;
    record.url = url;
    record.type = type;
    record.content = std::string(size, 'x');
    record.access = MakeFileTime(2005, 3, day);
    return record;
}

std::string BackupFile(const std::vector<BackupRecordSpec>& records)
{
    BackupFileSpec file;
    file.records = records;
    return BackupFileBytes(file);
}

typedef std::map<std::string, std::string> StatusMap;

}  // namespace

TEST_F(CommandWindowTest, BackupLoadsReplaceTheListOrMergeAsTheNextScan)
{
    PutDwordSetting("Include Strays", 1);
    std::string fileA = SeedUrl(Site + "a.htm");
    ASSERT_NE(SeedUrl(Site + "b.htm"), "");
    ASSERT_TRUE(OpenWindow());
    ASSERT_TRUE(Checked(window, IDM_INCLUDE_STRAYS));

    // Cancelling either dialog changes nothing.
    Command(IDM_LOAD_NEW_LISTING);
    Command(IDM_LOAD_SUBSEQUENT_SCAN);
    EXPECT_EQ(openRequests.size(), 2u);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", ""}}));

    TempFile first("brindlewick first.cbf");
    ASSERT_TRUE(first.Write(BackupFile(
        {Record(Site + "a.htm", 10, 7), Record(Site + "old.htm", 5000, 8), Record(Cookie, 1, 6, COOKIE_ENTRY)})));
    answer = first.path;
    Command(IDM_LOAD_NEW_LISTING);
    const OPENFILENAMEA& asked = openRequests.back().record;
    EXPECT_EQ(asked.lStructSize, 76u);
    EXPECT_EQ(asked.hwndOwner, window);
    EXPECT_EQ(openRequests.back().filter, std::string("Cache Backup Files\0*.cbf\0All Files\0*.*\0", 40));
    EXPECT_EQ(openRequests.back().startName, "");
    EXPECT_EQ(asked.nMaxFile, 512u);
    EXPECT_EQ(asked.Flags, (DWORD)OFN_HIDEREADONLY);
    EXPECT_EQ(asked.lpstrDefExt, nullptr);
    EXPECT_EQ(asked.lpstrInitialDir, nullptr);

    // The file's entries, newest access first, without local files; its cookie
    // switched cookies on, and strays are off.
    EXPECT_EQ(Column(1), (std::vector<std::string>{Site + "old.htm", Site + "a.htm", Cookie}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(StatusText(0), "CurSize: 12288   Amt added: 0   Amt Del'd: 0   NumEntries: 3   ClusterSize: 4096");
    EXPECT_TRUE(Checked(window, IDM_INCLUDE_COOKIES));
    EXPECT_FALSE(Checked(window, IDM_INCLUDE_STRAYS));
    const AppSettings& settings = g_app.settings;
    EXPECT_EQ(settings.includeCookies, 1u);
    EXPECT_EQ(settings.includeStrays, 0u);
    EXPECT_EQ(settings.straysAtLastMerge, 0u);
    EXPECT_EQ(settings.cookiesAtLastMerge, 1u);

    // The next scan compares the cache against the file.
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", "Added"}, {Site + "old.htm", "Deleted"},
                                     {Cookie, "Deleted"}}));
    EXPECT_EQ(Cell(RowOf(Site + "a.htm"), 3), fileA);

    // A file loaded as the next scan, through the command its grayed item stands for.
    EXPECT_TRUE(GetMenuState(GetMenu(window), IDM_LOAD_SUBSEQUENT_SCAN, MF_BYCOMMAND) & MF_GRAYED);
    TempFile second("brindlewick second.cbf");
    ASSERT_TRUE(second.Write(
        BackupFile({Record(Site + "a.htm", 10, 7), Record(Site + "b.htm", 1, 9), Record(Site + "new.htm", 1, 9)})));
    answer = second.path;
    Command(IDM_LOAD_SUBSEQUENT_SCAN);
    EXPECT_EQ(openRequests.size(), 4u);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}, {Site + "b.htm", ""}, {Site + "new.htm", "Added"},
                                     {Site + "old.htm", "Deleted"}, {Cookie, "Deleted"}}));
    EXPECT_EQ(Cell(RowOf(Site + "a.htm"), 3), fileA);
    EXPECT_EQ(g_app.scanListing.records, nullptr);
    EXPECT_TRUE(shown.empty());
}

TEST_F(CommandWindowTest, FailedLoadsSayWhyAndANewListingIsLeftEmptyOnScreen)
{
    ASSERT_NE(SeedUrl(Site + "a.htm"), "");
    ASSERT_TRUE(OpenWindow());

    TempFile notBackup("brindlewick notes.cbf");
    ASSERT_TRUE(notBackup.Write("These are notes, not a cache backup file."));
    TempFile cutShort("brindlewick cut.cbf");
    std::string bytes = BackupFile({Record(Site + "a.htm", 10, 7), Record(Site + "b.htm", 3000, 7)});
    ASSERT_TRUE(cutShort.Write(bytes.substr(0, bytes.size() - 2000)));
    TempFile missing("brindlewick missing.cbf");
    const struct {
        const TempFile* file;
        DWORD reason;
    } cases[] = {
        {&notBackup, ERROR_INVALID_DATA},
        {&cutShort, ERROR_INVALID_DATA},
        {&missing, ERROR_FILE_NOT_FOUND},
    };

    // As the next scan: the list stays as it was.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file->path);
        shown.clear();
        answer = c.file->path;
        Command(IDM_LOAD_SUBSEQUENT_SCAN);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Couldn't load the cache backup file \"" + c.file->path + "\".\n\n" + SystemText(c.reason));
        EXPECT_EQ(shown[0].caption, "Error");
        EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", ""}}));
        EXPECT_EQ(g_app.scanListing.records, nullptr);
    }

    // As a new listing: the list and the totals show the empty listing.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file->path);
        shown.clear();
        answer = c.file->path;
        Command(IDM_LOAD_NEW_LISTING);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, "Couldn't load the cache backup file \"" + c.file->path + "\".\n\n" + SystemText(c.reason));
        EXPECT_EQ(RowCount(), 0);
        EXPECT_EQ(StatusText(0), "CurSize: 0   Amt added: 0   Amt Del'd: 0   NumEntries: 0   ClusterSize: 4096");
        EXPECT_EQ(GetCursor(), LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
    }

    // The next scan finds a listing to merge into.
    Command(IDM_SCAN_CACHE);
    EXPECT_EQ(Statuses(), (StatusMap{{Site + "a.htm", "Added"}}));
}

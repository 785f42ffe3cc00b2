#include <gtest/gtest.h>
#include <algorithm>
#include <string.h>
#include <string>
#include <windows.h>
#include "strays.h"
#include "entry_index.h"
#include "listing_builder.h"
#include "stray_files.h"

namespace {

const FILETIME NO_TIME = {0, 0};

// A real folder tree "C:\stray-deep\aaa...\bbb..." whose path is about `length`
// characters long, with a subfolder "s" holding the file "f.txt"; gives the deep folder.
std::string MakeDeepFolder(MadeFiles* made, size_t length)
{
    std::string folder = "C:\\stray-deep";
    if (!made->Folder(folder))
        return "";
    for (char letter = 'a'; folder.size() < length; letter++) {
        folder += "\\" + std::string(std::min<size_t>(200, length - folder.size()), letter);
        if (!made->Folder(folder))
            return "";
    }
    if (!made->Folder(folder + "\\s") || !made->File(folder + "\\s\\f.txt", 1, NO_TIME, NO_TIME))
        return "";
    return folder;
}

// A listing of one entry with the given local file text, its index built, its error 1234.
void OneEntry(TestListing* listing, const std::string& localFile)
{
    AddEntry(listing->get(), "http://example.com/", localFile.c_str());
    ASSERT_EQ(BuildIndex(&(*listing)->byLocalFile, listing->get()), 0u);
    (*listing)->error = 1234;
}

}  // namespace

TEST(StrayPaths, TextsThatNameNoUsableCacheFolderScanNothing)
{
    MadeFiles made;
    std::string deep = MakeDeepFolder(&made, 1100);
    ASSERT_NE(deep, "");
    std::string cases[] = {
        "C:file.htm",               // no backslash
        "C:\\file.htm",             // one: no folder above the file's folder
        deep + "\\s\\f.txt",        // the cache folder alone overflows the path buffer
    };
    for (const std::string& localFile : cases) {
        SCOPED_TRACE(localFile.substr(0, 40));
        TestListing listing;
        OneEntry(&listing, localFile);
        listing->strayCount = 9;
        ScanStrays(listing.get());
        EXPECT_EQ(listing->error, 1234u);
        EXPECT_EQ(listing->strayCount, 0);
        EXPECT_EQ(listing->count, 1);
    }

    TestListing empty;
    empty->strayCount = 9;
    empty->error = 1234;
    ScanStrays(empty.get());
    EXPECT_EQ(empty->strayCount, 0);
    EXPECT_EQ(empty->error, 1234u);
}

TEST(StrayPaths, ACacheFolderThatCannotBeListedGivesItsError)
{
    MadeFiles made;
    // Fits the path buffer, but the 8-bit file calls refuse paths beyond MAX_PATH.
    std::string deep = MakeDeepFolder(&made, 900);
    ASSERT_NE(deep, "");
    WIN32_FIND_DATAA found;
    ASSERT_EQ(FindFirstFileA("C:\\stray-missing\\*.*", &found), INVALID_HANDLE_VALUE);
    DWORD missingCode = GetLastError();
    struct Case { std::string localFile; DWORD error; } cases[] = {
        {"C:\\stray-missing\\sub\\f.txt", missingCode},
        {deep + "\\s\\f.txt", ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.localFile.substr(0, 40));
        TestListing listing;
        OneEntry(&listing, c.localFile);
        ScanStrays(listing.get());
        EXPECT_EQ(listing->error, c.error);
        EXPECT_EQ(listing->count, 1);
    }
}

TEST(StrayPaths, TheErrorIsRewrittenOnlyWhenASubfolderWasScanned)
{
    MadeFiles made;
    ASSERT_TRUE(made.Folder("C:\\stray-flat"));
    ASSERT_TRUE(made.File("C:\\stray-flat\\top.txt", 1, NO_TIME, NO_TIME));
    TestListing flat;
    OneEntry(&flat, "C:\\stray-flat\\sub\\f.txt");
    ScanStrays(flat.get());
    EXPECT_EQ(flat->error, 1234u);
    EXPECT_EQ(flat->count, 1);

    ASSERT_TRUE(made.Folder("C:\\stray-flat\\sub"));
    TestListing scanned;
    OneEntry(&scanned, "C:\\stray-flat\\sub\\f.txt");
    ScanStrays(scanned.get());
    EXPECT_EQ(scanned->error, 0u);
    EXPECT_EQ(scanned->count, 1);
}

TEST(StrayPaths, ALocalFileTextLongerThanTheBufferStillGivesItsCacheFolder)
{
    MadeFiles made;
    ASSERT_TRUE(made.Folder("C:\\stray-long"));
    ASSERT_TRUE(made.Folder("C:\\stray-long\\sub"));
    ASSERT_TRUE(made.File("C:\\stray-long\\sub\\found.txt", 1, NO_TIME, NO_TIME));
    TestListing listing;
    OneEntry(&listing, "C:\\stray-long\\sub\\" + std::string(1100, 'x'));
    ScanStrays(listing.get());
    EXPECT_EQ(listing->error, 0u);
    ASSERT_EQ(listing->count, 2);
    EXPECT_STREQ(EntryAt(listing.get(), 1)->localFile, "C:\\stray-long\\sub\\found.txt");
}

TEST(StrayPaths, AFolderPathThatLeavesNoRoomIsNeverWrittenPast)
{
    struct Guarded {
        char path[STRAY_PATH_BUFFER];
        char guard[32];
    };
    // 1,019 characters leave just room for "\*.*"; 1,020 do not.
    for (size_t length : {1019u, 1020u, 1023u}) {
        SCOPED_TRACE(length);
        Guarded buffer;
        memset(buffer.guard, 0x5A, sizeof(buffer.guard));
        std::string folder = "C:\\" + std::string(length - 3, 'p');
        memcpy(buffer.path, folder.c_str(), length + 1);
        TestListing listing;
        OneEntry(&listing, "C:\\x\\y\\z");
        EXPECT_EQ(ScanStrayFolder(listing.get(), buffer.path), (DWORD)ERROR_FILENAME_EXCED_RANGE);
        EXPECT_EQ(listing->count, 1);
        for (char c : buffer.guard)
            ASSERT_EQ(c, 0x5A);
    }
}

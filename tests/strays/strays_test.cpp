#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include "strays.h"
#include "app_state.h"
#include "cache_scan.h"
#include "entry_index.h"
#include "heap.h"
#include "cache_seed.h"
#include "listing_builder.h"
#include "stray_files.h"

namespace {

const FILETIME NO_TIME = {0, 0};

// The real cache with one entry, whose subfolder and the other subfolders tests fill.
struct StrayFixture : ::testing::Test {
    Listing listing = {};
    MadeFiles made;
    std::string anchorFile;
    std::string cacheFolder;
    std::string anchorFolder;               // with trailing backslash
    std::vector<std::string> otherFolders;  // with trailing backslash

    void SetUp() override
    {
        ClearUrlCache();
        g_app.settings.includeCookies = 0;
        g_app.freeSpaceQuery = GetDiskFreeSpaceExA;
        SeedEntry anchor;
        anchor.url = "http://example.com/anchor.htm";
        anchorFile = SeedCacheEntry(anchor);
        ASSERT_NE(anchorFile, "");
        cacheFolder = CacheFolderOf(anchorFile);
        for (const std::string& name : SubfolderNames(cacheFolder)) {
            std::string folder = cacheFolder + name + "\\";
            if (anchorFile.compare(0, folder.size(), folder) == 0)
                anchorFolder = folder;
            else
                otherFolders.push_back(folder);
        }
        ASSERT_NE(anchorFolder, "");
        ASSERT_GE(otherFolders.size(), 2u);
    }
    void TearDown() override
    {
        FailHeapAfter(-1);
        FreeListing(&listing);
    }
    void ScanWithIndexes()
    {
        ScanCache(&listing);
        ASSERT_EQ(listing.error, 0u);
        ASSERT_EQ(BuildIndex(&listing.byLocalFile, &listing), 0u);
        ASSERT_EQ(BuildIndex(&listing.byUrl, &listing), 0u);
    }
};

std::vector<CacheEntry*> Strays(const Listing* listing)
{
    std::vector<CacheEntry*> strays;
    for (LONG row = 0; row < listing->count; row++)
        if (!EntryAt(listing, row)->url)
            strays.push_back(EntryAt(listing, row));
    return strays;
}

std::set<std::string> StrayPaths(const Listing* listing)
{
    std::set<std::string> paths;
    for (CacheEntry* entry : Strays(listing))
        paths.insert(entry->localFile);
    return paths;
}

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

TEST_F(StrayFixture, FilesOfTheSubfoldersJoinWithTheirFileFields)
{
    struct Made { std::string path; ULONGLONG size; FILETIME access; FILETIME write; FILETIME lastAccess; };
    std::vector<Made> strays = {
        {anchorFolder + "loose.bin", 5000, MakeFileTime(2005, 3, 1), MakeFileTime(2005, 2, 1, 10, 20, 30),
         MakeFileTime(2005, 3, 1, 23, 59, 59)},
        {otherFolders[0] + "noon.txt", 0, MakeFileTime(2005, 3, 1, 12), MakeFileTime(2004, 1, 1),
         MakeFileTime(2005, 3, 2, 11, 59, 59)},
        // Only the low 32 bits of a size beyond 4 GiB are kept.
        {otherFolders[0] + "big.bin", 0x100000000ULL + 7, MakeFileTime(2006, 1, 1), MakeFileTime(2006, 1, 1),
         MakeFileTime(2006, 1, 1, 23, 59, 59)},
        // The file system cannot hold "desktop.ini" and "Desktop.ini" in one folder, so
        // each lies in a folder of its own: only the exact lower-case name is left out.
        {otherFolders[1] + "Desktop.ini", 10, MakeFileTime(2007, 1, 1), MakeFileTime(2007, 1, 1),
         MakeFileTime(2007, 1, 1, 23, 59, 59)},
    };
    for (const Made& m : strays)
        ASSERT_TRUE(made.File(m.path, m.size, m.access, m.write)) << m.path;
    ASSERT_TRUE(made.File(otherFolders[0] + "desktop.ini", 10, NO_TIME, NO_TIME));
    ASSERT_TRUE(made.File(cacheFolder + "top.txt", 10, NO_TIME, NO_TIME));     // not in a subfolder
    ASSERT_TRUE(made.Folder(otherFolders[1] + "nested"));
    ASSERT_TRUE(made.File(otherFolders[1] + "nested\\inner.txt", 10, NO_TIME, NO_TIME));

    ScanWithIndexes();
    ASSERT_EQ(listing.count, 1);
    listing.error = 1234;
    ScanStrays(&listing);
    EXPECT_EQ(listing.error, 0u);
    EXPECT_EQ(listing.strayCount, 5);
    ASSERT_EQ(listing.count, 6);
    EXPECT_STREQ(EntryAt(&listing, 0)->localFile, anchorFile.c_str());
    std::set<std::string> expected = {otherFolders[1] + "nested"};
    for (const Made& m : strays)
        expected.insert(m.path);
    EXPECT_EQ(StrayPaths(&listing), expected);

    for (LONG row = 0; row < listing.count; row++) {
        CacheEntry* e = EntryAt(&listing, row);
        SCOPED_TRACE(e->localFile);
        EXPECT_EQ(e->entryNumber, row);
        if (row == 0)
            continue;
        EXPECT_EQ(e->url, nullptr);
        EXPECT_EQ(e->headerText, nullptr);
        EXPECT_EQ(e->status, 1);
        EXPECT_EQ(e->typeFlags, GetFileAttributesA(e->localFile));
        EXPECT_EQ(e->hitRate | e->useCount | e->exemptDelta | e->fromBackup, 0u);
        EXPECT_TRUE(SameTime(e->lastSync, NO_TIME));
        EXPECT_TRUE(SameTime(e->expireTime, NO_TIME));
        for (const Made& m : strays) {
            if (m.path != e->localFile)
                continue;
            EXPECT_EQ(e->size, (DWORD)m.size);
            EXPECT_TRUE(SameTime(e->lastAccess, m.lastAccess));
            EXPECT_TRUE(SameTime(e->lastModified, m.write));
        }
        if (otherFolders[1] + "nested" == e->localFile) {
            EXPECT_TRUE(e->typeFlags & FILE_ATTRIBUTE_DIRECTORY);
        }
    }
}

TEST_F(StrayFixture, EveryStrayIsEnteredIntoTheIndexOnce)
{
    // Enough files that lookups collide and the index is rebuilt on the way.
    for (int i = 0; i < 300; i++)
        ASSERT_TRUE(made.File(otherFolders[i % 2] + "f" + std::to_string(i), 1, NO_TIME, NO_TIME));
    ScanWithIndexes();
    ScanStrays(&listing);
    EXPECT_EQ(listing.error, 0u);
    EXPECT_EQ(listing.strayCount, 300);
    ASSERT_EQ(listing.count, 301);
    EXPECT_EQ(StrayPaths(&listing).size(), 300u);
    for (CacheEntry* e : Strays(&listing)) {
        DWORD slot;
        EXPECT_EQ(FindEntry(&listing.byLocalFile, e->localFile, &slot), e);
    }

    ScanStrays(&listing);       // every file is named now
    EXPECT_EQ(listing.strayCount, 0);
    EXPECT_EQ(listing.count, 301);
}

TEST_F(StrayFixture, LocalFileTextsMatchExactlyAndComeFromTheFirstQualifyingRow)
{
    MadeFiles decoy;
    ASSERT_TRUE(decoy.Folder("C:\\stray-decoy"));
    ASSERT_TRUE(decoy.Folder("C:\\stray-decoy\\sub"));
    ASSERT_TRUE(decoy.File("C:\\stray-decoy\\sub\\decoy.txt", 1, NO_TIME, NO_TIME));
    ASSERT_TRUE(made.File(anchorFolder + "CaseFile.txt", 1, NO_TIME, NO_TIME));
    ASSERT_TRUE(made.File(anchorFolder + "Exact.txt", 1, NO_TIME, NO_TIME));

    TestListing hand;
    AddEntry(hand.get(), "Cookie:user@example.com/", "C:\\stray-decoy\\sub\\c.txt")->typeFlags = COOKIE_ENTRY;
    AddEntry(hand.get(), "http://empty/", "");
    AddEntry(hand.get(), "http://none/", nullptr);
    AddEntry(hand.get(), "http://a/", anchorFile.c_str());
    AddEntry(hand.get(), "http://case/", (anchorFolder + "casefile.txt").c_str());
    AddEntry(hand.get(), "http://exact/", (anchorFolder + "Exact.txt").c_str());
    ASSERT_EQ(BuildIndex(&hand->byLocalFile, hand.get()), 0u);
    ScanStrays(hand.get());
    EXPECT_EQ(hand->error, 0u);
    EXPECT_EQ(StrayPaths(hand.get()), std::set<std::string>{anchorFolder + "CaseFile.txt"});
}

TEST_F(StrayFixture, AnIndexLeftEmptyIsBuiltBeforeTheScan)
{
    ASSERT_TRUE(made.File(otherFolders[0] + "one.txt", 1, NO_TIME, NO_TIME));
    ScanCache(&listing);
    ASSERT_EQ(listing.byLocalFile.tableSize, 0u);
    ScanStrays(&listing);
    EXPECT_EQ(listing.error, 0u);
    EXPECT_EQ(StrayPaths(&listing), std::set<std::string>{otherFolders[0] + "one.txt"});

    FreeListing(&listing);
    ScanCache(&listing);
    HeapFailureGuard guard;
    FailHeapAfter(0);
    ScanStrays(&listing);
    EXPECT_EQ(listing.error, 8u);
    EXPECT_EQ(listing.count, 1);
}

TEST_F(StrayFixture, RunningOutOfMemoryKeepsTheStraysButNotTheirCount)
{
    // The first record block holds 50 records; the 51st needs memory.
    for (int i = 0; i < 60; i++)
        ASSERT_TRUE(made.File(otherFolders[0] + "m" + std::to_string(i), 1, NO_TIME, NO_TIME));
    ScanWithIndexes();
    HeapFailureGuard guard;
    FailHeapAfter(0);
    ScanStrays(&listing);
    EXPECT_EQ(listing.error, 8u);
    EXPECT_EQ(listing.strayCount, 0);
    EXPECT_GT(listing.count, 1);
    EXPECT_LT(listing.count, 61);
    for (LONG row = 1; row < listing.count; row++) {
        EXPECT_EQ(EntryAt(&listing, row)->entryNumber, row);
        EXPECT_EQ(EntryAt(&listing, row)->url, nullptr);
    }
}

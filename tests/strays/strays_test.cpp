// Files in the cache's subfolders that no entry names join the listing as strays.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string.h>
#include <vector>
#include "cache_seed.h"
#include "entry_index.h"
#include "heap.h"
#include "listing_builder.h"
#include "strays.h"

namespace {

// A cache folder of its own, C:\stray-cache\, with subfolders a and b; the entry of
// a\anchor.htm leads the scan there. Everything made is removed at the end.
struct Strays : ::testing::Test {
    const std::string root = "C:\\stray-cache\\";
    std::vector<std::string> made;
    TestListing listing;

    void SetUp() override
    {
        ASSERT_TRUE(Folder("") && Folder("a") && Folder("b") && File("a\\anchor.htm"));
        AddEntry(listing.get(), "http://example.com/anchor.htm", (root + "a\\anchor.htm").c_str());
        listing->error = 1234;
    }
    void TearDown() override
    {
        for (auto path = made.rbegin(); path != made.rend(); ++path)
            DeleteFileA(path->c_str()) || RemoveDirectoryA(path->c_str());
    }
    bool Folder(const std::string& name)
    {
        made.push_back(root + name);
        return CreateDirectoryA(made.back().c_str(), NULL);
    }
    // A file of `size` bytes, sparse beyond what is written, with the given times.
    bool File(const std::string& name, ULONGLONG size = 1, FILETIME access = {}, FILETIME write = {})
    {
        made.push_back(root + name);
        HANDLE file = CreateFileA(made.back().c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        LARGE_INTEGER end;
        end.QuadPart = (LONGLONG)size;
        bool ok = file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, end, NULL, FILE_BEGIN) &&
                  SetEndOfFile(file) && SetFileTime(file, NULL, &access, &write);
        CloseHandle(file);
        return ok;
    }
    std::set<std::string> StrayPaths()
    {
        std::set<std::string> paths;
        for (LONG row = 0; row < listing->count; row++)
            if (!EntryAt(listing.get(), row)->url)
                paths.insert(EntryAt(listing.get(), row)->localFile);
        return paths;
    }
};

}  // namespace

TEST_F(Strays, FilesOfTheSubfoldersJoinWithTheirFileFields)
{
    const FILETIME written = MakeFileTime(2004, 1, 2, 3, 4, 5);
    struct Made { const char* name; ULONGLONG size; FILETIME access, lastAccess; } strays[] = {
        {"a\\loose.bin", 5000, MakeFileTime(2005, 3, 1), MakeFileTime(2005, 3, 1, 23, 59, 59)},
        {"b\\noon.txt", 0, MakeFileTime(2005, 3, 1, 12), MakeFileTime(2005, 3, 2, 11, 59, 59)},
        {"b\\big.bin", 0x100000007ULL, MakeFileTime(2006, 1, 1), MakeFileTime(2006, 1, 1, 23, 59, 59)},
        {"b\\Desktop.ini", 10, MakeFileTime(2007, 1, 1), MakeFileTime(2007, 1, 1, 23, 59, 59)},
        {"a\\CaseFile.txt", 1, MakeFileTime(2007, 1, 1), MakeFileTime(2007, 1, 1, 23, 59, 59)},
    };
    for (const Made& m : strays)
        ASSERT_TRUE(File(m.name, m.size, m.access, written)) << m.name;
    // Not strays: the exact lower-case desktop.ini, files lying in the cache folder itself,
    // a file named exactly by an entry, and what lies in a nested folder.
    ASSERT_TRUE(File("a\\desktop.ini") && File("top.txt") && File("a\\Exact.txt"));
    ASSERT_TRUE(Folder("b\\nested") && File("b\\nested\\inner.txt"));
    AddEntry(listing.get(), "http://example.com/exact", (root + "a\\Exact.txt").c_str());
    AddEntry(listing.get(), "http://example.com/case", (root + "a\\casefile.txt").c_str());   // names no file
    std::set<std::string> expected = {root + "b\\nested"};
    for (const Made& m : strays)
        expected.insert(root + m.name);

    ScanStrays(listing.get());      // builds the index it finds empty
    EXPECT_EQ(listing->error, 0u);
    EXPECT_EQ(listing->strayCount, 6);
    EXPECT_EQ(StrayPaths(), expected);
    for (LONG row = 3; row < listing->count; row++) {
        const CacheEntry* e = EntryAt(listing.get(), row);
        SCOPED_TRACE(e->localFile);
        EXPECT_EQ(e->entryNumber, row);
        EXPECT_EQ(e->typeFlags, GetFileAttributesA(e->localFile));   // the folder's directory bit too
        for (const Made& m : strays) {
            if (root + m.name == e->localFile) {
                EXPECT_EQ(e->size, (DWORD)m.size);                     // the low 32 bits only
                EXPECT_EQ(CompareFileTime(&e->lastAccess, &m.lastAccess), 0);
                EXPECT_EQ(CompareFileTime(&e->lastModified, &written), 0);
            }
        }
    }
    ScanStrays(listing.get());      // every file is named now
    EXPECT_EQ(listing->strayCount, 0);
    EXPECT_EQ(listing->count, 9);
}

TEST_F(Strays, OutOfMemoryGives8AndKeepsTheStraysAlreadyAdded)
{
    for (int i = 0; i < 60; i++)
        ASSERT_TRUE(File("b\\m" + std::to_string(i)));
    HeapFailureGuard guard;
    for (bool indexed : {false, true}) {
        SCOPED_TRACE(indexed ? "index built" : "no index");
        TestListing oom;
        AddEntry(oom.get(), "http://example.com/anchor.htm", (root + "a\\anchor.htm").c_str());
        if (indexed) {
            ASSERT_EQ(BuildIndex(&oom->byLocalFile, oom.get()), 0u);
        }
        FailHeapAfter(0);
        ScanStrays(oom.get());
        FailHeapAfter(-1);
        EXPECT_EQ(oom->error, 8u);
        EXPECT_EQ(oom->strayCount, 0);
        // An empty index is built before any file is looked at; the first record block holds 50.
        EXPECT_EQ(oom->count > 1, indexed);
        EXPECT_LE(oom->count, 50);
        for (LONG row = 1; row < oom->count; row++)
            EXPECT_EQ(EntryAt(oom.get(), row)->entryNumber, row);
    }
}

// The cache folder lies two levels above the first local file that is not a cookie's.
TEST_F(Strays, TextsThatNameNoUsableCacheFolder)
{
    struct Case { const char* name; std::string localFile; DWORD error; LONG count; } cases[] = {
        {"no backslash", "C:file.htm", 1234, 1},
        {"one backslash", "C:\\file.htm", 1234, 1},
        {"cache folder longer than the buffer", "C:\\" + std::string(1100, 'p') + "\\s\\f.txt", 1234, 1},
        {"no such folder", "C:\\stray-missing\\sub\\f.txt", ERROR_PATH_NOT_FOUND, 1},
        {"file name longer than the buffer", root + "a\\" + std::string(1100, 'x'), 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing texts;
        AddEntry(texts.get(), "Cookie:user@example.com/", "C:\\stray-missing\\c\\c.txt")->typeFlags = COOKIE_ENTRY;
        AddEntry(texts.get(), "http://example.com/", c.localFile.c_str());
        texts->error = 1234, texts->strayCount = 9;
        ScanStrays(texts.get());
        EXPECT_EQ(texts->error, c.error);
        EXPECT_EQ(texts->count, c.count + 1);
        EXPECT_EQ(texts->strayCount, c.count - 1);
    }
}

// 1,019 characters leave just room for "\*.*" in the 1,024-byte path buffer.
TEST(StrayFolder, APathThatLeavesNoRoomIsNeverWrittenPast)
{
    struct Guarded { char path[STRAY_PATH_BUFFER]; char guard[32]; };
    for (size_t length : {1019u, 1020u, 1023u}) {
        SCOPED_TRACE(length);
        Guarded buffer;
        memset(buffer.guard, 0x5A, sizeof buffer.guard);
        memcpy(buffer.path, ("C:\\" + std::string(length - 3, 'p')).c_str(), length + 1);
        TestListing listing;
        AddEntry(listing.get(), "http://example.com/", "C:\\x\\y\\z");
        EXPECT_EQ(ScanStrayFolder(listing.get(), buffer.path), (DWORD)ERROR_FILENAME_EXCED_RANGE);
        EXPECT_EQ(listing->count, 1);
        EXPECT_EQ(std::string(buffer.guard, sizeof buffer.guard), std::string(sizeof buffer.guard, 0x5A));
    }
}

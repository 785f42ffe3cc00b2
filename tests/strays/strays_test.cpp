// Files in the cache's subfolders that no entry names join the listing as strays.
#include <map>
#include <memory>
#include <string.h>
#include "listing_builder.h"
#include "strays.h"

namespace {

// A cache folder C:\stray-cache\ with subfolders a and b, removed at the end; a\anchor.htm leads there.
struct Strays : ::testing::Test {
    const std::string root = "C:\\stray-cache\\";
    std::vector<std::string> made;
    void SetUp() override { ASSERT_TRUE(File("") && File("a") && File("b") && File("a\\anchor.htm", 1)); }
    void TearDown() override
    {
        for (auto path = made.rbegin(); path != made.rend(); ++path)
            DeleteFileA(path->c_str()) || RemoveDirectoryA(path->c_str());
    }
    bool File(const std::string& name, LONGLONG size = -1)
    {
        made.push_back(root + name);
        if (size < 0)
            return CreateDirectoryA(made.back().c_str(), NULL);
        HANDLE file = CreateFileA(made.back().c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        LARGE_INTEGER end;
        end.QuadPart = size;
        bool ok = SetFilePointerEx(file, end, NULL, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        return ok;
    }
};

}  // namespace

// Each stray carries its file's attributes and size (low half). Not strays: "desktop.ini" exactly, files of
// the cache folder itself or named by an entry, nested folders' files. Out of memory: 8, the strays so far stay.
TEST_F(Strays, FilesOfTheSubfoldersJoinWithTheirFileFields)
{
    std::map<std::string, LONGLONG> files = {{"b\\Desktop.ini", 10}, {"a\\Case.txt", 1}, {"b\\big", 0x100000007}};
    for (int i = 0; i < 60; i++)
        files["b\\m" + std::to_string(i)] = i;
    std::map<std::string, DWORD> expected = {{"b\\nested", 0}};
    for (const auto& f : files) {
        ASSERT_TRUE(File(f.first, f.second)) << f.first;
        expected[f.first] = (DWORD)f.second;
    }
    ASSERT_TRUE(File("a\\desktop.ini", 1) && File("top.txt", 1) && File("a\\Exact.txt", 1) && File("b\\nested") &&
                File("b\\nested\\inner.txt", 1));
    std::unique_ptr<TestListing> listing;
    LONG failures = ForEachHeapFailure(
        [&] {
            listing.reset(new TestListing);
            FreeArena((*listing)->strings), (*listing)->strings = CreateArena(1, 1, 1, 0);   // each text a request
            AddEntry(listing->get(), "http://example.com/anchor.htm", (root + "a\\anchor.htm").c_str());
            AddEntry(listing->get(), "http://example.com/exact", (root + "a\\Exact.txt").c_str());
            AddEntry(listing->get(), "http://example.com/case", (root + "a\\case.txt").c_str());   // names no file
        },
        [&] { ScanStrays(listing->get()); },      // builds the index it finds empty
        [&](bool failed) {
            EXPECT_EQ((*listing)->error, failed ? 8u : 0u);
            EXPECT_EQ((*listing)->records->pointerCount, (DWORD)(*listing)->count);   // no half-made row left
            std::map<std::string, DWORD> found;
            for (LONG row = 3; row < (*listing)->count; row++) {
                const CacheEntry* e = EntryAt(listing->get(), row);
                ASSERT_TRUE(!e->url && e->entryNumber == row && e->localFile);
                EXPECT_EQ(e->typeFlags, GetFileAttributesA(e->localFile)) << e->localFile;    // a folder's bit too
                found[e->localFile + root.size()] = e->size;
            }
            if (!failed) {
                EXPECT_EQ(found, expected);
                EXPECT_EQ((*listing)->strayCount, 64);
            }
        });
    EXPECT_GE(failures, 2);     // the index, built first, and a second block of records
    ScanStrays(listing->get());     // every file is named now
    EXPECT_EQ((*listing)->strayCount, 0);
}

// 1,019 characters leave just room for "\*.*" in the path buffer; a longer cache folder is not scanned at all.
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
    TestListing listing;
    AddEntry(listing.get(), "http://example.com/", ("C:\\" + std::string(1100, 'p') + "\\s\\f.txt").c_str());
    ScanStrays(listing.get());
    EXPECT_EQ(listing->count, 1);
}

#include <gtest/gtest.h>
#include <string>
#include "text_report.h"
#include "backup_builder.h"
#include "listing_builder.h"

namespace {

const std::string HEADER =
    "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n" + std::string(77, '-') + "\r\n";

FILETIME LocalMorning()
{
    SYSTEMTIME parts = {2005, 3, 1, 7, 9, 5, 7, 0};
    FILETIME time;
    SystemTimeToFileTime(&parts, &time);
    return time;
}

struct Report : ::testing::Test {
    TempFile file{"brindlewick-report.txt"};
    TestListing listing;

    std::string Export()
    {
        EXPECT_EQ(ExportListingText(file.path.c_str(), listing.get()), 0u);
        return file.Read();
    }
    // Everything after the two header lines.
    std::string EntryLines()
    {
        std::string text = Export();
        EXPECT_EQ(text.compare(0, HEADER.size(), HEADER), 0);
        return text.substr(HEADER.size());
    }
};

}  // namespace

TEST_F(Report, EmptyListingGivesTheTwoHeaderLines)
{
    EXPECT_EQ(Export(), HEADER);
    EXPECT_EQ(HEADER.size(), 140u);
    Listing never = {};
    ASSERT_EQ(ExportListingText(file.path.c_str(), &never), 0u);
    EXPECT_EQ(file.Read(), HEADER);
}

TEST_F(Report, StrayFileLineIsFixedWidth)
{
    CacheEntry* entry = AddEntry(listing.get(), nullptr, "C:\\cache\\stray.bin");
    entry->entryNumber = 7;
    entry->status = 7;
    entry->typeFlags = 0x20;
    entry->hitRate = 3;
    entry->size = 20480;
    entry->lastAccess = LocalMorning();
    entry->exemptDelta = 0;
    // Item by item: number, word and fill, flags, hit rate, size, time and fill,
    // years, URL, each after one separating blank.
    std::string expected = std::string("    7") + " " + "Added" + " " + " " + "   20" + " " + "  3" + " " + " 20480" +
                           " " + "2005/03/07 9:05.07" + " " + " " + "  0dy" + " " + "<stray file>" + "\r\n";
    EXPECT_EQ(EntryLines(), expected);
    EXPECT_EQ(expected.size(), 56u + 12 + 2);
}

TEST_F(Report, FieldsKeepTheirFormats)
{
    struct Case {
        const char* name;
        void (*shape)(CacheEntry*);
        const char* line;
    };
    const Case cases[] = {
        {"deleted", [](CacheEntry* e) { e->status = 0; }, "    0 Del'd      0   0      0 None                  0dy u\r\n"},
        {"unchanged", [](CacheEntry* e) { e->status = 1; }, "    0            0   0      0 None                  0dy u\r\n"},
        {"changed", [](CacheEntry* e) { e->status = 2; }, "    0 Chngd      0   0      0 None                  0dy u\r\n"},
        {"revisited", [](CacheEntry* e) { e->status = 3; }, "    0 Rvstd      0   0      0 None                  0dy u\r\n"},
        {"updated", [](CacheEntry* e) { e->status = 4; }, "    0 Updated     0   0      0 None                  0dy u\r\n"},
        {"moved", [](CacheEntry* e) { e->status = 5; }, "    0 Moved      0   0      0 None                  0dy u\r\n"},
        {"finished", [](CacheEntry* e) { e->status = 6; }, "    0 Completed     0   0      0 None                  0dy u\r\n"},
        {"added", [](CacheEntry* e) { e->status = 7; }, "    0 Added      0   0      0 None                  0dy u\r\n"},
        {"added while hidden", [](CacheEntry* e) { e->status = 8; }, "    0            0   0      0 None                  0dy u\r\n"},
        {"three years", [](CacheEntry* e) { e->exemptDelta = 94608000; }, "    0            0   0      0 None                  3dy u\r\n"},
        {"a second short of a year", [](CacheEntry* e) { e->exemptDelta = 31535999; }, "    0            0   0      0 None                  0dy u\r\n"},
        {"largest delta", [](CacheEntry* e) { e->exemptDelta = 0xFFFFFFFF; }, "    0            0   0      0 None                136dy u\r\n"},
        {"cookie flags", [](CacheEntry* e) { e->typeFlags = 0x100001; }, "    0        100001   0      0 None                  0dy u\r\n"},
        {"size of 2^31", [](CacheEntry* e) { e->size = 0x80000000; }, "    0            0   0 -2147483648 None                  0dy u\r\n"},
        {"wide numbers", [](CacheEntry* e) { e->entryNumber = 123456; e->hitRate = 1000; e->size = 1234567; },
         "123456            0 1000 1234567 None                  0dy u\r\n"},
        {"seconds", [](CacheEntry* e) { e->lastAccess = LocalMorning(); e->lastAccess.dwLowDateTime += 30000000; },
         "    0            0   0      0 2005/03/07 9:05.10    0dy u\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreeListing(listing.get());
        InitListing(listing.get());
        CacheEntry* entry = AddEntry(listing.get(), "u", nullptr);
        c.shape(entry);
        EXPECT_EQ(EntryLines(), c.line);
    }
}

TEST_F(Report, UrlIsCutAt1024CharactersAndTheLineEndsInCrLf)
{
    std::string url(2000, 'u');
    for (size_t i = 0; i < url.size(); i += 100)
        url[i] = (char)('0' + i / 100 % 10);
    for (size_t length : {1023, 1024, 1025, 2000}) {
        SCOPED_TRACE(length);
        FreeListing(listing.get());
        InitListing(listing.get());
        AddEntry(listing.get(), url.substr(0, length).c_str(), nullptr);
        std::string line = EntryLines();
        size_t kept = length < 1024 ? length : 1024;
        EXPECT_EQ(line.size(), 56 + kept + 2);
        EXPECT_EQ(line.substr(56), url.substr(0, kept) + "\r\n");
    }
}

TEST_F(Report, LinesFollowTheCurrentOrder)
{
    AddEntry(listing.get(), "http://a/", nullptr);
    AddEntry(listing.get(), "http://b/", nullptr);
    AddEntry(listing.get(), nullptr, "C:\\c");
    // Sorting permutes the row order in place; the report follows it.
    void** rows = listing->records->pointers;
    std::swap(rows[0], rows[2]);
    std::string text = Export();
    EXPECT_EQ(text, HEADER + "    2            0   0      0 None                  0dy <stray file>\r\n" +
                        "    1            0   0      0 None                  0dy http://b/\r\n" +
                        "    0            0   0      0 None                  0dy http://a/\r\n");
}

TEST_F(Report, ReplacesAnExistingFile)
{
    ASSERT_TRUE(file.Write(std::string(5000, 'x')));
    EXPECT_EQ(Export(), HEADER);
}

TEST_F(Report, FileThatCannotBeCreatedGivesTheSystemsCode)
{
    std::string path = file.path + ".missing\\report.txt";
    EXPECT_EQ(ExportListingText(path.c_str(), listing.get()), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

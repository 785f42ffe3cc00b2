// The fixed-width text report of a listing.
#include <gtest/gtest.h>
#include <string>
#include "backup_builder.h"
#include "listing_builder.h"
#include "text_report.h"

namespace {

const std::string HEADER =
    "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n" + std::string(77, '-') + "\r\n";

FILETIME LocalMorning(WORD second)
{
    SYSTEMTIME parts = {2005, 3, 1, 7, 9, 5, second, 0};
    FILETIME time;
    SystemTimeToFileTime(&parts, &time);
    return time;
}

struct Report : ::testing::Test {
    TempFile file{"brindlewick-report.txt"};
    TestListing listing;

    // The report's lines after the two header lines.
    std::string Lines()
    {
        EXPECT_EQ(ExportListingText(file.path.c_str(), listing.get()), 0u);
        std::string text = file.Read();
        EXPECT_EQ(text.substr(0, HEADER.size()), HEADER);
        return text.substr(HEADER.size());
    }
};

}  // namespace

TEST_F(Report, AnEmptyListingReplacesAFileWithTheHeaderAlone)
{
    ASSERT_TRUE(file.Write(std::string(5000, 'x')));
    EXPECT_EQ(Lines(), "");
    EXPECT_EQ(file.Read().size(), 140u);
}

TEST_F(Report, OneFixedWidthLinePerRowInTheCurrentOrder)
{
    AddEntry(listing.get(), "http://a/", nullptr);
    CacheEntry* e = AddEntry(listing.get(), nullptr, "C:\\cache\\stray.bin");
    e->entryNumber = 7, e->status = 7, e->typeFlags = 0x20, e->hitRate = 3, e->size = 20480;
    e->lastAccess = LocalMorning(7);
    std::swap(listing->records->pointers[0], listing->records->pointers[1]);    // as a sort does
    // Number, status word, flags, hit rate, size, last access, years and URL, one blank apart.
    EXPECT_EQ(Lines(), "    7 Added     20   3  20480 2005/03/07 9:05.07    0dy <stray file>\r\n"
                       "    0            0   0      0 None                  0dy http://a/\r\n");
}

TEST_F(Report, FieldsKeepTheirFormats)
{
    struct Case { const char* name; void (*shape)(CacheEntry*); const char* line; } cases[] = {
        {"deleted", [](CacheEntry* e) { e->status = 0; }, "    0 Del'd      0   0      0 None                  0dy u\r\n"},
        {"changed", [](CacheEntry* e) { e->status = 2; }, "    0 Chngd      0   0      0 None                  0dy u\r\n"},
        {"revisited", [](CacheEntry* e) { e->status = 3; }, "    0 Rvstd      0   0      0 None                  0dy u\r\n"},
        {"updated", [](CacheEntry* e) { e->status = 4; }, "    0 Updated     0   0      0 None                  0dy u\r\n"},
        {"moved", [](CacheEntry* e) { e->status = 5; }, "    0 Moved      0   0      0 None                  0dy u\r\n"},
        {"finished", [](CacheEntry* e) { e->status = 6; }, "    0 Completed     0   0      0 None                  0dy u\r\n"},
        {"added while hidden", [](CacheEntry* e) { e->status = 8; }, "    0            0   0      0 None                  0dy u\r\n"},
        {"three years", [](CacheEntry* e) { e->exemptDelta = 94608000; }, "    0            0   0      0 None                  3dy u\r\n"},
        {"a second short of a year", [](CacheEntry* e) { e->exemptDelta = 31535999; }, "    0            0   0      0 None                  0dy u\r\n"},
        {"largest delta", [](CacheEntry* e) { e->exemptDelta = 0xFFFFFFFF; }, "    0            0   0      0 None                136dy u\r\n"},
        {"cookie flags", [](CacheEntry* e) { e->typeFlags = 0x100001; }, "    0        100001   0      0 None                  0dy u\r\n"},
        {"size of 2^31", [](CacheEntry* e) { e->size = 0x80000000; }, "    0            0   0 -2147483648 None                  0dy u\r\n"},
        {"wide numbers", [](CacheEntry* e) { e->entryNumber = 123456, e->hitRate = 1000, e->size = 1234567; },
         "123456            0 1000 1234567 None                  0dy u\r\n"},
        {"seconds", [](CacheEntry* e) { e->lastAccess = LocalMorning(10); },
         "    0            0   0      0 2005/03/07 9:05.10    0dy u\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreeListing(listing.get());
        InitListing(listing.get());
        c.shape(AddEntry(listing.get(), "u", nullptr));
        EXPECT_EQ(Lines(), c.line);
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
        EXPECT_EQ(Lines().substr(56), url.substr(0, std::min<size_t>(length, 1024)) + "\r\n");
    }
}

TEST_F(Report, AFileThatCannotBeCreatedGivesTheSystemsCode)
{
    std::string path = file.path + ".missing\\report.txt";
    EXPECT_EQ(ExportListingText(path.c_str(), listing.get()), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

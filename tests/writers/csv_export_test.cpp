// The CSV export. check_csv.py reads the file this test leaves with Python's csv module and compares every
// field with the values the test lists beside it; the test itself checks the first rows' bytes.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <regex>
#include "cache_seed.h"
#include "csv_export.h"
#include "listing_builder.h"

namespace {

// Where the test leaves its files for the Python check: the run's output folder, through Wine's drive Z.
std::string OutputPath(const char* name)
{
    std::string folder = getenv("BRINDLEWICK_TEST_OUTPUT") ? getenv("BRINDLEWICK_TEST_OUTPUT") : "";
    for (char& c : folder)
        c = c == '/' ? '\\' : c;
    return (folder.empty() ? "" : "Z:" + folder + "\\") + name;
}

// The text's ANSI bytes in hexadecimal, which the Python check decodes as code page 1252.
std::string Hex(const char* text)
{
    std::string hex;
    for (const char* c = text ? text : ""; *c; c++)
        hex += {"0123456789abcdef"[(BYTE)*c >> 4], "0123456789abcdef"[*c & 15]};
    return hex;
}

}  // namespace

TEST(CsvExport, TextsNumbersAndTimesForAParserInEveryZone)
{
    const struct { const char *url, *file, *header; } texts[] = {
        {"http://example.com/a,b?\"q\"=1", "C:\\cache\\a[1].htm", "HTTP/1.1 200 OK\r\nX: \"y\", z"},
        {"http://example.com/caf\xE9/\x80uro", "C:\\cache\\\xE9t\xE9.gif", "line\nbreak"},
        {nullptr, "C:\\cache\\stray.bin", nullptr}, {"Cookie:user@example.com/", nullptr, ""}};
    // UTC times as a scan finds them: winter, summer (daylight saving in Berlin, not in Adelaide), none.
    const FILETIME times[] = {MakeFileTime(2026, 12, 6, 21, 2, 48), MakeFileTime(2026, 7, 1, 23, 59, 59), {0, 0}};
    TestListing listing;
    std::ofstream expected(OutputPath("csv_expected.txt"), std::ios::binary);
    for (int i = 0; i < 9; i++) {
        CacheEntry* e = AddEntry(listing.get(), texts[i % 4].url, texts[i % 4].file, texts[i % 4].header);
        e->status = i, e->size = i ? 0xFFFFFFFF - i : 0, e->typeFlags = 0x100001 * i, e->hitRate = 3 * i;
        e->useCount = 1000 * i, e->exemptDelta = 86400 * i, e->entryNumber = i - 1;
        FILETIME* fields[] = {&e->lastAccess, &e->lastModified, &e->lastSync, &e->expireTime};
        expected << e->entryNumber << '\t' << Hex(e->url) << '\t' << i << '\t' << Hex(e->localFile) << '\t' << e->size;
        for (int t = 0; t < 4; t++) {
            const FILETIME& utc = times[(i + t) % 3];
            if (utc.dwLowDateTime || utc.dwHighDateTime)
                FileTimeToLocalFileTime(&utc, fields[t]);
            expected << '\t' << Ticks(utc) << '\t' << Ticks(*fields[t]);
        }
        expected << '\t' << e->typeFlags << '\t' << e->hitRate << '\t' << e->useCount << '\t' << e->exemptDelta << '\t'
                 << Hex(e->headerText) << "\r\n";
    }
    ASSERT_EQ(ExportListingCsv(OutputPath("csv_export.csv").c_str(), listing.get()), 0u);
    std::ifstream file(OutputPath("csv_export.csv"), std::ios::binary);
    std::string csv((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The header and the first two rows, byte for byte but for the local times, which differ by zone.
    csv = std::regex_replace(csv, std::regex("[\\d-]{10}T[\\d:]{8}[+-][\\d:]{5}"), "local");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n1,,") + 2),
              "\xEF\xBB\xBF" "Entry #,URL,Status,Local File,Size,Last Access (UTC),Last Access (local),Last Modified (UTC),"
              "Last Modified (local),Last Sync'ed (UTC),Last Sync'ed (local),Flags,HR,UC,Exempt,Expire Time (UTC),"
              "Expire Time (local),HTTP Response Header\r\n"
              "-1,\"http://example.com/a,b?\"\"q\"\"=1\",Deleted,C:\\cache\\a[1].htm,0,2026-12-06T21:02:48Z,local,"
              "2026-07-01T23:59:59Z,local,,,0x00000000,0,0,0,2026-12-06T21:02:48Z,local,"
              "\"HTTP/1.1 200 OK\r\nX: \"\"y\"\", z\"\r\n"
              "0,http://example.com/caf\xC3\xA9/\xE2\x82\xACuro,,C:\\cache\\\xC3\xA9t\xC3\xA9.gif,4294967294,"
              "2026-07-01T23:59:59Z,local,,,2026-12-06T21:02:48Z,local,0x00100001,3,1000,86400,2026-07-01T23:59:59Z,"
              "local,\"line\nbreak\"\r\n");
}

// The report line made by hand is the one the C library's formatter gives.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string>
#include "entry_time.h"
#include "listing_builder.h"
#include "report_line.h"

namespace {

std::string Formatted(const CacheEntry* entry)
{
    static const char* const words[8] = {"Del'd", "", "Chngd", "Rvstd", "Updated", "Moved", "Completed", "Added"};
    char time[ENTRY_TIME_TEXT];
    FormatEntryTime(time, &entry->lastAccess);
    char line[REPORT_LINE_BUFFER];
    int length = snprintf(line, sizeof line, "%5d %-6s %5x %3d %6d %-19s %3ddy %.1024s\r\n", (int)entry->entryNumber,
                          entry->status >= 0 && entry->status < 8 ? words[entry->status] : "",
                          (unsigned)entry->typeFlags, (int)entry->hitRate, (int)entry->size, time,
                          (int)(entry->exemptDelta / 31536000), entry->url ? entry->url : "<stray file>");
    return std::string(line, length);
}

std::string Made(const CacheEntry* entry)
{
    char line[REPORT_LINE_BUFFER];
    return std::string(line, FormatReportLine(line, entry));
}

}  // namespace

TEST(ReportLine, EqualsTheFormattersLineForExtremeValues)
{
    struct Case { LONG number; LONG status; DWORD flags, hitRate, size, exempt; ULONGLONG access; const char* url; };
    const Case cases[] = {
        {0, 1, 0, 0, 0, 0, 0, "http://a/"},
        {7, 7, 0x20, 3, 20480, 0, 127547811070000000ULL, nullptr},
        {-1, 0, 0x100001, 0xFFFFFFFF, 0x80000000, 4294967295u, 1, ""},
        {(LONG)0x80000000, 4, 0xFFFFFFFF, 0x80000000, 0xFFFFFFFF, 94608000, 0x7FFFFFFFFFFFFFFFULL, "x"},
        {99999, 6, 0xABCDE, 999, 999999, 31535999, 0x8000000000000000ULL, "http://example.com/?q=1"},
        {100000, 8, 1, 1000, 1000000, 31536000, 94354848000000000ULL, "Cookie:user@example.org/"},
        {12345, 9, 0x10, 12, 123, 0, 0xFFFFFFFFFFFFFFFFULL, "h"},
        {5, -1, 0, 5, 5, 5, 2650467743990000000ULL, "y"},
    };
    TestListing listing;
    for (const Case& c : cases) {
        CacheEntry* entry = AddEntry(listing.get(), c.url, nullptr);
        entry->entryNumber = c.number, entry->status = c.status, entry->typeFlags = c.flags;
        entry->hitRate = c.hitRate, entry->size = c.size, entry->exemptDelta = c.exempt;
        entry->lastAccess = {(DWORD)c.access, (DWORD)(c.access >> 32)};
        EXPECT_EQ(Made(entry), Formatted(entry));
    }
    std::string longUrl(2000, 'u');
    CacheEntry* entry = AddEntry(listing.get(), longUrl.c_str(), nullptr);
    EXPECT_EQ(Made(entry), Formatted(entry));
    EXPECT_EQ(Made(entry).size(), 1082u);
}

TEST(ReportLine, TimeTextsHaveTheirFixedForm)
{
    // The second time falls on the day of the first.
    SYSTEMTIME morning = {2005, 3, 1, 7, 9, 5, 7, 0}, night = {2005, 3, 1, 7, 23, 59, 59, 999},
               late = {30827, 12, 0, 31, 23, 59, 59, 999}, first = {1601, 1, 1, 1, 0, 0, 0, 0};
    const char* texts[4] = {"2005/03/07 9:05.07", "2005/03/07 23:59.59", "30827/12/31 23:59.59", "1601/01/01 0:00.00"};
    SYSTEMTIME* parts[4] = {&morning, &night, &late, &first};
    for (int i = 0; i < 4; i++) {
        FILETIME time;
        ASSERT_TRUE(SystemTimeToFileTime(parts[i], &time));
        if (i == 3)
            time.dwLowDateTime = 1;     // the very first FILETIME after 0, which means none
        char text[ENTRY_TIME_TEXT];
        FormatEntryTime(text, &time);
        EXPECT_STREQ(text, texts[i]);
    }
}

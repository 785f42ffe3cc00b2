// Each line of the text report, made by hand, is the one the C library's formatter makes.
#include <stdio.h>
#include "entry_time.h"
#include "listing_builder.h"
#include "report_line.h"

TEST(ReportLine, EqualsTheFormattersLineForExtremeValues)
{
    static const char* const words[8] = {"Del'd", "", "Chngd", "Rvstd", "Updated", "Moved", "Completed", "Added"};
    const std::string longUrl(2000, 'u');
    struct Case { LONG number, status; DWORD flags, hitRate, size, exempt; ULONGLONG access; const char* url; };
    const Case cases[] = {
        {0, 1, 0, 0, 0, 0, 0, "http://a/"},
        {7, 7, 0x20, 3, 20480, 0, 127547811070000000ULL, nullptr},
        {-1, 0, 0x100001, 0xFFFFFFFF, 0x80000000, 4294967295u, 1, ""},
        {(LONG)0x80000000, 4, 0xFFFFFFFF, 0x80000000, 0xFFFFFFFF, 94608000, 0x7FFFFFFFFFFFFFFFULL, "x"},
        {99999, 6, 0xABCDE, 999, 999999, 31535999, 0x8000000000000000ULL, "http://example.com/?q=1"},
        {100000, 8, 1, 1000, 1000000, 31536000, 94354848000000000ULL, "Cookie:user@example.org/"},
        {12345, 9, 0x10, 12, 123, 0, 0xFFFFFFFFFFFFFFFFULL, "h"},
        {5, -1, 0, 5, 5, 5, 2650467743990000000ULL, "y"},
        {2, 2, 0, 0, 0, 0, 0, nullptr}, {3, 3, 0, 0, 0, 0, 0, nullptr}, {5, 5, 0, 0, 0, 0, 0, longUrl.c_str()},
    };
    TestListing listing;
    for (const Case& c : cases) {
        CacheEntry* e = AddEntry(listing.get(), c.url, nullptr);
        e->entryNumber = c.number, e->status = c.status, e->typeFlags = c.flags, e->hitRate = c.hitRate;
        e->size = c.size, e->exemptDelta = c.exempt, e->lastAccess = {(DWORD)c.access, (DWORD)(c.access >> 32)};
        char time[ENTRY_TIME_TEXT], made[REPORT_LINE_BUFFER], expected[REPORT_LINE_BUFFER];
        FormatEntryTime(time, &e->lastAccess);
        int length = snprintf(expected, sizeof expected, "%5d %-6s %5x %3d %6d %-19s %3ddy %.1024s\r\n",
                              (int)e->entryNumber, e->status >= 0 && e->status < 8 ? words[e->status] : "",
                              (unsigned)e->typeFlags, (int)e->hitRate, (int)e->size, time,
                              (int)(e->exemptDelta / 31536000), e->url ? e->url : "<stray file>");
        EXPECT_EQ(std::string(made, FormatReportLine(made, e)), std::string(expected, length));
    }
}

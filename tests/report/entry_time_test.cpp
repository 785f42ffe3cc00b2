// Times as the list and the report show them, and the one offset a fill converts them with.
#include <gtest/gtest.h>
#include <random>
#include <vector>
#include "cache_seed.h"
#include "entry_time.h"

TEST(EntryTime, TextsHaveTheirFixedForm)
{
    // The second time falls on the day of the first, the third on the next day; none is 0 or has its top bit set.
    SYSTEMTIME parts[5] = {{2005, 3, 1, 7, 9, 5, 7, 0}, {2005, 3, 1, 7, 23, 59, 59, 999}, {2005, 3, 2, 8, 0, 0, 0, 0},
                           {30827, 12, 0, 31, 23, 59, 59, 999}, {1601, 1, 1, 1, 0, 0, 0, 0}};
    const char* texts[7] = {"2005/03/07 9:05.07", "2005/03/07 23:59.59", "2005/03/08 0:00.00", "30827/12/31 23:59.59",
                            "1601/01/01 0:00.00", "None", "None"};
    FILETIME times[7] = {{}, {}, {}, {}, {}, {0, 0}, {0, 0x80000000}};
    for (int i = 0; i < 5; i++)
        ASSERT_TRUE(SystemTimeToFileTime(&parts[i], &times[i]));
    times[4].dwLowDateTime = 1;     // the very first FILETIME after 0
    for (int i = 0; i < 7; i++) {
        char text[ENTRY_TIME_TEXT];
        FormatEntryTime(text, &times[i]);
        EXPECT_STREQ(text, texts[i]);
    }
}

// The offset a fill takes once converts every time as FileTimeToLocalFileTime does:
// dates in both halves of the year from 1601 to 30827, the values whose result would
// pass 0 or 2^63, and random ones. A Last Modified time with its top bit set is
// none, and no expiry stays none.
TEST(EntryTime, OneOffsetConvertsLikeTheSystemInEveryZone)
{
    LocalTimeOffset zone = TakeLocalTimeOffset();
    ASSERT_TRUE(zone.known);
    std::vector<ULONGLONG> values = {0, 1, ~0ULL, 1ULL << 63, (1ULL << 63) - 1};
    for (ULONGLONG edge : {0 - zone.offset, (1ULL << 63) - zone.offset})
        values.insert(values.end(), {edge - 1, edge, edge + 1});
    for (int year : {1601, 1970, 2005, 2026, 2100, 30827})
        for (int month = 1; month <= 12; month++)
            for (int hour : {0, 1, 2, 3, 13, 23}) {
                FILETIME date = MakeFileTime(year, month, 1 + (month * 7 + hour) % 28, hour, 30, 59);
                values.push_back(((ULONGLONG)date.dwHighDateTime << 32) | date.dwLowDateTime);
            }
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; i++)
        values.push_back(random() >> (i % 2 ? 0 : 8));
    for (ULONGLONG value : values) {
        SCOPED_TRACE(testing::Message() << std::hex << value);
        FILETIME utc = {(DWORD)value, (DWORD)(value >> 32)}, system = {}, got[3];
        if (!FileTimeToLocalFileTime(&utc, &system))
            system = {0, 0};
        FILETIME modified = system.dwHighDateTime & 0x80000000 ? FILETIME{0, 0} : system;
        FILETIME expire = value ? system : FILETIME{0, 0};
        LocalTime(&zone, &utc, &got[0]);
        LocalModifiedTime(&zone, &utc, &got[1]);
        LocalExpireTime(&zone, &utc, &got[2]);
        ASSERT_TRUE(CompareFileTime(&got[0], &system) == 0 && CompareFileTime(&got[1], &modified) == 0 &&
                    CompareFileTime(&got[2], &expire) == 0);
    }
}

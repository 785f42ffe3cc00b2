#include <gtest/gtest.h>
#include "entry_time.h"

TEST(EntryTime, FormatsLocalTimesAndNone)
{
    struct Case { FILETIME time; const char* text; } cases[] = {
        {{0, 0}, "None"},
        {{0, 0x80000000}, "None"},                  // beyond what FileTimeToSystemTime takes
        {{1, 0}, "1601/01/01 0:00.00"},
    };
    SYSTEMTIME parts = {2005, 3, 1, 7, 9, 5, 7, 0};
    FILETIME morning;
    ASSERT_TRUE(SystemTimeToFileTime(&parts, &morning));
    char text[ENTRY_TIME_TEXT];
    FormatEntryTime(text, &morning);
    EXPECT_STREQ(text, "2005/03/07 9:05.07");
    parts = {30827, 12, 0, 31, 23, 59, 59, 999};
    FILETIME last;
    ASSERT_TRUE(SystemTimeToFileTime(&parts, &last));
    FormatEntryTime(text, &last);
    EXPECT_STREQ(text, "30827/12/31 23:59.59");
    for (const Case& c : cases) {
        FormatEntryTime(text, &c.time);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(EntryTime, ModifiedWithTopBitAndZeroExpiryBecomeZero)
{
    FILETIME out = {1, 1};
    FILETIME zero = {0, 0};
    LocalExpireTime(&zero, &out);
    EXPECT_EQ(out.dwLowDateTime | out.dwHighDateTime, 0u);
    FILETIME huge = {5, 0x80000001};
    LocalModifiedTime(&huge, &out);
    EXPECT_EQ(out.dwLowDateTime | out.dwHighDateTime, 0u);
    FILETIME normal = {0x12345678, 0x01C52000};
    LocalModifiedTime(&normal, &out);                // TZ=UTC: local equals UTC
    EXPECT_EQ(out.dwHighDateTime, normal.dwHighDateTime);
    EXPECT_EQ(out.dwLowDateTime, normal.dwLowDateTime);
}

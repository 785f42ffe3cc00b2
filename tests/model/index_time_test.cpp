#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#include "cache_seed.h"
#include "entry_index.h"
#include "entry_time.h"
#include "listing_builder.h"
#include "heap.h"

TEST(EntryIndex, TableSizes)
{
    for (int records : {0, 158, 200}) {
        TestListing listing;
        for (int i = 0; i < records; i++)
            AddEntry(listing.get(), std::to_string(i).c_str(), nullptr);
        ASSERT_EQ(BuildIndex(&listing->byUrl, listing.get()), 0u);
        EXPECT_EQ(listing->byUrl.tableSize, records == 200 ? 1000u : 793u) << records;
    }
}

TEST(EntryIndex, LookupsAreExactFirstWinsAndNullKeysAreAbsent)
{
    TestListing listing;
    CacheEntry* first = AddEntry(listing.get(), "http://a/", "x");
    AddEntry(listing.get(), "http://a/", "y");
    CacheEntry* stray = AddEntry(listing.get(), nullptr, "");
    BuildIndex(&listing->byUrl, listing.get());
    BuildIndex(&listing->byLocalFile, listing.get());
    DWORD slot;
    EXPECT_EQ(FindEntry(&listing->byUrl, "http://a/", &slot), first);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(FindEntry(&listing->byUrl, "HTTP://A/", &slot), nullptr);
    EXPECT_NE(slot, NO_SLOT);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, "", &slot), stray);
    listing->byUrl.probes = 7;
    EXPECT_EQ(FindEntry(&listing->byUrl, nullptr, &slot), nullptr);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(listing->byUrl.probes, 7u);

    EntryIndex full = {(IndexSlot*)HeapGet(793 * sizeof(IndexSlot)), 793, 0, KEY_URL, 0, FALSE};
    for (int i = 0; i < 793; i++)
        full.slots[i] = {first, KeyHash(first->url)};
    EXPECT_EQ(FindEntry(&full, "missing", &slot), nullptr);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(full.probes, 792u);
    DiscardIndex(&full);
}

TEST(EntryIndex, InsertAfterMissRebuildsOnceAndMendsAFailedBuild)
{
    std::vector<std::string> keys = CollidingKeys(31, MIN_INDEX_SLOTS, 400);
    TestListing listing;
    for (int i = 0; i < 14; i++)
        AddEntry(listing.get(), nullptr, keys[i].c_str());
    BuildIndex(&listing->byLocalFile, listing.get());
    DWORD slot;
    EXPECT_EQ(FindEntry(&listing->byLocalFile, keys[14].c_str(), &slot), nullptr);
    EXPECT_EQ(listing->byLocalFile.probes, 14u);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, keys[0].c_str(), &slot), EntryAt(listing.get(), 0));
    EXPECT_EQ(listing->byLocalFile.probes, 14u);    // a first-probe hit leaves it

    // An appended record is found by the rebuild that the long miss triggers.
    CacheEntry* appended = AddEntry(listing.get(), nullptr, keys[14].c_str());
    IndexLookup lookup;
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), keys[14].c_str(), nullptr, nullptr,
                              &lookup), 0u);
    EXPECT_TRUE(lookup.rebuilt);
    EXPECT_EQ(lookup.found, appended);
    // A key that still collides after the rebuild takes the free slot: no second rebuild.
    for (int i = 15; i < 21; i++)
        AddEntry(listing.get(), nullptr, keys[i].c_str());
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), keys[21].c_str(), nullptr, nullptr,
                              &lookup), 0u);
    EXPECT_EQ(lookup.found, nullptr);
    EXPECT_EQ(lookup.slot, 400u + 21);
    CacheEntry* fresh = AddEntry(listing.get(), nullptr, keys[21].c_str());
    EnterAtSlot(&listing->byLocalFile, &lookup, fresh);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, keys[21].c_str(), &slot), fresh);

    HeapFailureGuard guard;
    FailHeapAfter(0);
    EXPECT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), keys[30].c_str(), nullptr, nullptr,
                              &lookup), 8u);
    EXPECT_EQ(listing->byLocalFile.tableSize, 0u);
    FailHeapAfter(-1);
    EXPECT_EQ(EnsureIndexBuilt(&listing->byLocalFile, listing.get()), 0u);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, keys[21].c_str(), &slot), fresh);
}

TEST(EntryTime, Texts)
{
    SYSTEMTIME morning = {2005, 3, 1, 7, 9, 5, 7, 0}, last = {30827, 12, 0, 31, 23, 59, 59, 999};
    FILETIME times[4] = {{0, 0}, {0, 0x80000000}, {1, 0}};
    SystemTimeToFileTime(&morning, &times[2]);
    SystemTimeToFileTime(&last, &times[3]);
    const char* texts[4] = {"None", "None", "2005/03/07 9:05.07", "30827/12/31 23:59.59"};
    char text[ENTRY_TIME_TEXT];
    for (int i = 0; i < 4; i++) {
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

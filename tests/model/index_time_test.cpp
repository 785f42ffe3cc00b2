#include <gtest/gtest.h>
#include <string>
#include "entry_index.h"
#include "entry_time.h"
#include "listing_builder.h"
#include "heap.h"

// "q" and n groups of eight 0x01 bytes: every group XORs each shift twice, so
// all these keys hash like "q" and pile up on one probe sequence.
static std::string CollidingKey(int n)
{
    std::string key = "q";
    for (int i = 0; i < n; i++)
        key += "\x01\x01\x01\x01\x01\x01\x01\x01";
    return key;
}

TEST(EntryIndex, HashAndTableSizes)
{
    EXPECT_EQ(HashKey("abc", 793), 340u);
    EXPECT_EQ(HashKey("", 793), 0u);
    EXPECT_EQ(HashKey("abcda", 0xFFFFFFFF), 0x64636261u ^ 0x61u);
    EXPECT_EQ(HashKey("\xFF", 1000), 255u);
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

    EntryIndex full = {(CacheEntry**)HeapGet(793 * sizeof(CacheEntry*)), 793, 0, KEY_URL};
    for (int i = 0; i < 793; i++)
        full.slots[i] = first;
    EXPECT_EQ(FindEntry(&full, "missing", &slot), nullptr);
    EXPECT_EQ(slot, NO_SLOT);
    EXPECT_EQ(full.probes, 792u);
    DiscardIndex(&full);
}

TEST(EntryIndex, InsertAfterMissRebuildsOnceAndMendsAFailedBuild)
{
    TestListing listing;
    for (int i = 0; i < 14; i++)
        AddEntry(listing.get(), nullptr, CollidingKey(i).c_str());
    BuildIndex(&listing->byLocalFile, listing.get());
    DWORD slot;
    EXPECT_EQ(FindEntry(&listing->byLocalFile, CollidingKey(14).c_str(), &slot), nullptr);
    EXPECT_EQ(listing->byLocalFile.probes, 14u);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, "q", &slot), EntryAt(listing.get(), 0));
    EXPECT_EQ(listing->byLocalFile.probes, 14u);    // a first-probe hit leaves it

    // An appended record is found by the rebuild that the long miss triggers.
    CacheEntry* appended = AddEntry(listing.get(), nullptr, CollidingKey(14).c_str());
    IndexLookup lookup;
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), CollidingKey(14).c_str(), nullptr, nullptr,
                              &lookup), 0u);
    EXPECT_TRUE(lookup.rebuilt);
    EXPECT_EQ(lookup.found, appended);
    // A key that still collides after the rebuild takes the free slot: no second rebuild.
    for (int i = 15; i < 21; i++)
        AddEntry(listing.get(), nullptr, CollidingKey(i).c_str());
    ASSERT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), CollidingKey(21).c_str(), nullptr, nullptr,
                              &lookup), 0u);
    EXPECT_EQ(lookup.found, nullptr);
    EXPECT_EQ(lookup.slot, (HashKey("q", 793) + 21) % 793);
    CacheEntry* fresh = AddEntry(listing.get(), nullptr, CollidingKey(21).c_str());
    EnterAtSlot(&listing->byLocalFile, lookup.slot, fresh);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, CollidingKey(21).c_str(), &slot), fresh);

    HeapFailureGuard guard;
    FailHeapAfter(0);
    EXPECT_EQ(LookupForInsert(&listing->byLocalFile, listing.get(), CollidingKey(30).c_str(), nullptr, nullptr,
                              &lookup), 8u);
    EXPECT_EQ(listing->byLocalFile.tableSize, 0u);
    FailHeapAfter(-1);
    EXPECT_EQ(EnsureIndexBuilt(&listing->byLocalFile, listing.get()), 0u);
    EXPECT_EQ(FindEntry(&listing->byLocalFile, CollidingKey(21).c_str(), &slot), fresh);
}

TEST(EntryTime, TextsAndLocalConversions)
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
    FILETIME out = {1, 1}, huge = {5, 0x80000001};
    LocalExpireTime(&times[0], &out);
    EXPECT_EQ(out.dwLowDateTime | out.dwHighDateTime, 0u);
    LocalModifiedTime(&huge, &out);
    EXPECT_EQ(out.dwLowDateTime | out.dwHighDateTime, 0u);
    LocalModifiedTime(&times[2], &out);             // TZ=UTC: unchanged
    EXPECT_EQ(CompareFileTime(&out, &times[2]), 0);
}

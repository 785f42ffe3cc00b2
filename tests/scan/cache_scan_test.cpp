#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>
#include <windows.h>
#include <wininet.h>
#include "cache_scan.h"
#include "cache_seed.h"
#include "heap.h"

namespace {

struct ScanFixture : ::testing::Test {
    Listing listing = {};
    BOOL includeCookies = FALSE;
    void SetUp() override { ClearUrlCache(); }
    DWORD Scan() { return ScanCache(&listing, includeCookies, GetDiskFreeSpaceExA); }
    void TearDown() override
    {
        FailHeapAfter(-1);
        FreeListing(&listing);
    }
    void Rescan()
    {
        FreeListing(&listing);
        Scan();
    }
    void Seed(const std::string& url, const std::string& header = "", DWORD type = NORMAL_ENTRY)
    {
        SeedEntry entry;
        entry.url = url;
        entry.header = header;
        entry.type = type;
        ASSERT_NE(SeedCacheEntry(entry), "") << url;
    }
};

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return CompareFileTime(&a, &b) == 0;
}

}  // namespace

TEST_F(ScanFixture, ClusterSizeIsMeasuredOnceOnTheFirstNonCookieEntry)
{
    Scan();                        // empty cache: nothing, no error, no measurement
    EXPECT_EQ(listing.error, 0u);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.clusterSize, 0u);

    Seed("Cookie:user@example.com/", "", COOKIE_ENTRY);
    includeCookies = 1;
    Rescan();
    EXPECT_EQ(listing.count, 1);
    EXPECT_EQ(listing.clusterSize, 0u);         // cookies never measure

    Seed("http://example.com/page.htm");
    Rescan();
    EXPECT_EQ(listing.clusterSize, 4096u);      // Wine's C: reports 8 x 512 bytes
    listing.clusterSize = 512;                  // measured once: kept from then on
    Rescan();
    EXPECT_EQ(listing.clusterSize, 512u);
}

TEST_F(ScanFixture, HeadersAreCutAt256CharactersAndFlattened)
{
    for (size_t length : {255, 256, 300})
        Seed("http://h/" + std::to_string(length), std::string(length - 2, 'h') + "\r\n");
    Scan();
    ASSERT_EQ(listing.count, 3);
    for (LONG i = 0; i < 3; i++) {
        CacheEntry* e = EntryAt(&listing, i);
        size_t length = strtoul(e->url + strlen("http://h/"), nullptr, 10);
        std::string expected = std::string(length - 2, 'h') + "  ";
        if (length >= 256)
            expected = expected.substr(0, 256) + "...";
        EXPECT_EQ(std::string(e->headerText), expected) << e->url;
    }
}

TEST_F(ScanFixture, OneTrailingDotIsRemovedFromLocalFiles)
{
    SeedEntry anchor;
    anchor.url = "http://example.com/anchor.htm";
    std::string folder = SeedCacheEntry(anchor);
    folder.erase(folder.rfind('\\') + 1);
    FILETIME none = {0, 0};
    for (const char* name : {"one", "two"}) {
        CloseHandle(CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        std::string stored = folder + name + (name[0] == 'o' ? "." : "..");
        ASSERT_TRUE(CommitUrlCacheEntryA((std::string("http://example.com/") + name).c_str(), stored.c_str(),
                                         none, none, NORMAL_ENTRY, NULL, 0, NULL, NULL));
    }
    Scan();
    ASSERT_EQ(listing.count, 3);
    for (LONG i = 0; i < 3; i++) {
        CacheEntry* e = EntryAt(&listing, i);
        if (!strcmp(e->url, "http://example.com/one")) {
            EXPECT_EQ(std::string(e->localFile), folder + "one");
        } else if (!strcmp(e->url, "http://example.com/two")) {
            EXPECT_EQ(std::string(e->localFile), folder + "two.");
        }
    }
}

TEST_F(ScanFixture, EntriesLargerThanTheBufferAreReadOnceEach)
{
    // Alone in the cache, the large entry is the very first: FindFirst is repeated.
    Seed("http://example.com/big", std::string(6000, 'b'));
    Scan();
    ASSERT_EQ(listing.count, 1);
    EXPECT_STREQ(EntryAt(&listing, 0)->url, "http://example.com/big");

    Seed("http://example.com/bigger", std::string(9000, 'c'));
    for (int i = 0; i < 30; i++)
        Seed("http://example.com/small" + std::to_string(i));
    Rescan();
    std::vector<CachedRecord> expected = ReadCacheDirectly();
    ASSERT_EQ(listing.count, 32);
    for (LONG i = 0; i < listing.count; i++)
        EXPECT_STREQ(EntryAt(&listing, i)->url, expected[i].url.c_str());
}

TEST_F(ScanFixture, OutOfMemoryAnywhereFreesTheListingWithError8)
{
    for (int i = 0; i < 120; i++)
        Seed("http://example.com/entry" + std::to_string(i), i == 60 ? std::string(5000, 'h') : "HTTP/1.1 200 OK");
    ResetHeapRequestCount();
    Scan();
    ASSERT_EQ(listing.count, 120);
    LONG requests = HeapRequestCount();
    for (LONG k = 0; k < requests; k++) {
        FailHeapAfter(k);
        Rescan();
        FailHeapAfter(-1);
        ASSERT_EQ(listing.error, 8u) << k;
        ASSERT_EQ(listing.count, 0) << k;
        ASSERT_EQ(listing.records, nullptr) << k;
    }
}

TEST_F(ScanFixture, FiveThousandEntriesComeBackExactlyWithoutPerEntryAllocation)
{
    for (int i = 0; i < 5050; i++) {
        SeedEntry entry;
        entry.url = "http://host" + std::to_string(i % 97) + ".example/path/" + std::to_string(i) + "?q=" +
                    std::string(i % 40, 'q');
        entry.content = std::string(i % 700 + 1, 'c');
        entry.type = i >= 5000 ? HISTORY_ENTRY : i % 50 == 0 ? COOKIE_ENTRY : NORMAL_ENTRY;
        entry.modified = MakeFileTime(2004 + i % 3, 1 + i % 12, 1 + i % 28);
        if (i % 3 == 0)
            entry.expire = MakeFileTime(2030, 1 + i % 12, 1);
        entry.header = "HTTP/1.1 200 OK; X-Entry: " + std::to_string(i);
        if (i >= 5000)
            entry.url = "Visited: user@" + entry.url;
        ASSERT_NE(SeedCacheEntry(entry), "") << i;
    }
    std::vector<CachedRecord> expected;
    for (const CachedRecord& r : ReadCacheDirectly())
        if (!(r.type & HISTORY_ENTRY_BIT))
            expected.push_back(r);
    ASSERT_EQ(expected.size(), 5000u);

    includeCookies = 1;
    ResetHeapRequestCount();
    Scan();
    LONG requests = HeapRequestCount();
    ASSERT_EQ(listing.error, 0u);
    ASSERT_EQ(listing.count, 5000);             // history never listed
    for (LONG i = 0; i < listing.count; i++) {
        const CacheEntry* e = EntryAt(&listing, i);
        const CachedRecord& r = expected[i];
        ASSERT_STREQ(e->url, r.url.c_str()) << i;
        ASSERT_STREQ(e->localFile, r.localFile.c_str()) << i;
        ASSERT_STREQ(e->headerText, r.header.c_str()) << i;
        ASSERT_TRUE(e->size == r.size && e->typeFlags == r.type && e->hitRate == r.hitRate &&
                    e->useCount == r.useCount && e->entryNumber == i && e->status == 1) << i;
        ASSERT_TRUE(SameTime(e->lastModified, r.lastModified) && SameTime(e->lastAccess, r.lastAccess) &&
                    SameTime(e->lastSync, r.lastSync) && SameTime(e->expireTime, r.expire)) << i;
    }
    // Records come 500 to a block, the pointer array grows by 100 and strings fill
    // 64 KB blocks: about 10 + 50 + 20 requests for 5,000 entries, not thousands.
    EXPECT_LT(requests, 100);

    includeCookies = 0;
    Rescan();
    EXPECT_EQ(listing.count, 4900);             // the 100 cookies left out
}

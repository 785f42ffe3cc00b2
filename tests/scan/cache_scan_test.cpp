#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>
#include <windows.h>
#include <wininet.h>
#include "cache_scan.h"
#include "app_state.h"
#include "cache_seed.h"
#include "listing_builder.h"
#include "heap.h"

namespace {

struct ScanFixture : ::testing::Test {
    Listing listing = {};
    void SetUp() override
    {
        ClearUrlCache();
        g_app.settings.includeCookies = 0;
        g_app.freeSpaceQuery = GetDiskFreeSpaceExA;
    }
    void TearDown() override
    {
        FailHeapAfter(-1);
        FreeListing(&listing);
    }
    std::vector<CacheEntry*> Rows()
    {
        std::vector<CacheEntry*> rows;
        for (LONG i = 0; i < listing.count; i++)
            rows.push_back(EntryAt(&listing, i));
        return rows;
    }
};

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

std::string Folder(const std::string& path)
{
    return path.substr(0, path.rfind('\\') + 1);
}

}  // namespace

TEST_F(ScanFixture, EmptyCacheGivesEmptyListingAndMeasuresNothing)
{
    ScanCache(&listing);
    EXPECT_EQ(listing.error, 0u);
    EXPECT_EQ(listing.count, 0);
    EXPECT_NE(listing.records, nullptr);
    EXPECT_EQ(listing.clusterSize, 0u);
}

TEST_F(ScanFixture, EntriesMatchWhatWinInetEnumeratesWithoutHistoryOrCookies)
{
    SeedEntry page;
    page.url = "http://example.com/a/page.htm";
    page.content = std::string(3000, 'p');
    page.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    page.modified = MakeFileTime(2005, 3, 7, 9, 5, 7);
    page.expire = MakeFileTime(2030, 1, 1);
    ASSERT_NE(SeedCacheEntry(page), "");
    SeedEntry plain;
    plain.url = "http://example.com/plain.gif";
    ASSERT_NE(SeedCacheEntry(plain), "");
    SeedEntry cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = COOKIE_ENTRY;
    ASSERT_NE(SeedCacheEntry(cookie), "");
    SeedEntry history;
    history.url = "Visited: user@http://example.com/";
    history.type = HISTORY_ENTRY;
    ASSERT_NE(SeedCacheEntry(history), "");

    for (DWORD cookies : {0u, 1u}) {
        SCOPED_TRACE(cookies ? "with cookies" : "without cookies");
        g_app.settings.includeCookies = cookies;
        FreeListing(&listing);
        ScanCache(&listing);
        ASSERT_EQ(listing.error, 0u);
        std::vector<CachedRecord> expected;
        for (const CachedRecord& r : ReadCacheDirectly())
            if (!(r.type & HISTORY_ENTRY_BIT) && (cookies || !(r.type & COOKIE_ENTRY_BIT)))
                expected.push_back(r);
        ASSERT_EQ(listing.count, (LONG)expected.size());
        ASSERT_EQ(expected.size(), cookies ? 3u : 2u);
        for (size_t i = 0; i < expected.size(); i++) {
            const CacheEntry* e = EntryAt(&listing, (LONG)i);
            const CachedRecord& r = expected[i];
            EXPECT_STREQ(e->url, r.url.c_str());
            EXPECT_STREQ(e->localFile, r.localFile.c_str());
            EXPECT_EQ(e->typeFlags, r.type);
            EXPECT_EQ(e->size, r.size);
            EXPECT_EQ(e->hitRate, r.hitRate);
            EXPECT_EQ(e->useCount, r.useCount);
            EXPECT_EQ(e->exemptDelta, r.exemptDelta);
            EXPECT_TRUE(SameTime(e->lastAccess, r.lastAccess));
            EXPECT_TRUE(SameTime(e->lastModified, r.lastModified));
            EXPECT_TRUE(SameTime(e->lastSync, r.lastSync));
            EXPECT_TRUE(SameTime(e->expireTime, r.expire));
            EXPECT_EQ(e->entryNumber, (LONG)i);
            EXPECT_EQ(e->status, 1);
            EXPECT_EQ(e->fromBackup, 0u);
            if (r.url == page.url) {
                EXPECT_STREQ(e->headerText, "HTTP/1.1 200 OK  Content-Type: text/html    ");
                EXPECT_TRUE(SameTime(e->lastModified, page.modified));
                EXPECT_NE(e->expireTime.dwHighDateTime, 0u);
                EXPECT_EQ(e->size, 3000u);
            } else {
                EXPECT_EQ(e->headerText, nullptr);
                EXPECT_EQ(e->expireTime.dwLowDateTime | e->expireTime.dwHighDateTime, 0u);
            }
        }
    }
}

TEST_F(ScanFixture, HeadersAreCutAt256Characters)
{
    struct Case { const char* url; size_t length; } cases[] = {
        {"http://h/255", 255}, {"http://h/256", 256}, {"http://h/300", 300},
    };
    for (const Case& c : cases) {
        SeedEntry entry;
        entry.url = c.url;
        entry.header = std::string(c.length - 2, 'h') + "\r\n";
        ASSERT_NE(SeedCacheEntry(entry), "") << c.url;
    }
    ScanCache(&listing);
    ASSERT_EQ(listing.count, 3);
    for (CacheEntry* e : Rows()) {
        size_t length = strtoul(e->url + strlen("http://h/"), nullptr, 10);
        SCOPED_TRACE(e->url);
        std::string expected = std::string(length - 2, 'h') + "  ";
        if (length >= 256)
            expected = expected.substr(0, 256) + "...";
        EXPECT_EQ(std::string(e->headerText), expected);
    }
}

TEST_F(ScanFixture, OneTrailingDotIsRemovedFromLocalFiles)
{
    SeedEntry anchor;
    anchor.url = "http://example.com/anchor.htm";
    std::string folder = Folder(SeedCacheEntry(anchor));
    ASSERT_NE(folder, "");
    for (const char* name : {"one", "two"}) {
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    FILETIME none = {0, 0};
    ASSERT_TRUE(CommitUrlCacheEntryA("http://example.com/one", (folder + "one.").c_str(), none, none,
                                     NORMAL_ENTRY, NULL, 0, NULL, NULL));
    ASSERT_TRUE(CommitUrlCacheEntryA("http://example.com/two", (folder + "two..").c_str(), none, none,
                                     NORMAL_ENTRY, NULL, 0, NULL, NULL));
    ScanCache(&listing);
    ASSERT_EQ(listing.count, 3);
    for (CacheEntry* e : Rows()) {
        if (!strcmp(e->url, "http://example.com/one")) {
            EXPECT_EQ(std::string(e->localFile), folder + "one");
        } else if (!strcmp(e->url, "http://example.com/two")) {
            EXPECT_EQ(std::string(e->localFile), folder + "two.");
        }
    }
}

TEST_F(ScanFixture, EntriesLargerThanTheBufferAreReadOnceEach)
{
    // Alone in the cache, the large entry is the very first one: FindFirst is repeated.
    SeedEntry big;
    big.url = "http://example.com/big";
    big.header = std::string(6000, 'b');
    ASSERT_NE(SeedCacheEntry(big), "");
    ScanCache(&listing);
    ASSERT_EQ(listing.count, 1);
    EXPECT_STREQ(EntryAt(&listing, 0)->url, "http://example.com/big");

    // Among others, entries that need a larger buffer are neither lost nor doubled.
    SeedEntry bigger = big;
    bigger.url = "http://example.com/bigger";
    bigger.header = std::string(9000, 'c');
    ASSERT_NE(SeedCacheEntry(bigger), "");
    for (int i = 0; i < 30; i++) {
        SeedEntry small;
        small.url = "http://example.com/small" + std::to_string(i);
        ASSERT_NE(SeedCacheEntry(small), "");
    }
    FreeListing(&listing);
    ScanCache(&listing);
    ASSERT_EQ(listing.error, 0u);
    std::vector<CachedRecord> expected = ReadCacheDirectly();
    ASSERT_EQ(listing.count, 32);
    for (LONG i = 0; i < listing.count; i++)
        EXPECT_STREQ(EntryAt(&listing, i)->url, expected[i].url.c_str());
}

TEST_F(ScanFixture, ClusterSizeIsMeasuredOnceOnTheFirstNonCookieEntry)
{
    SeedEntry cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = COOKIE_ENTRY;
    ASSERT_NE(SeedCacheEntry(cookie), "");
    g_app.settings.includeCookies = 1;
    ScanCache(&listing);
    ASSERT_EQ(listing.count, 1);
    EXPECT_EQ(listing.clusterSize, 0u);         // cookies never measure

    SeedEntry page;
    page.url = "http://example.com/page.htm";
    ASSERT_NE(SeedCacheEntry(page), "");
    FreeListing(&listing);
    ScanCache(&listing);
    ASSERT_EQ(listing.count, 2);
    EXPECT_EQ(listing.clusterSize, 4096u);      // Wine's C: reports 8 x 512 bytes

    FreeListing(&listing);
    listing.clusterSize = 512;                  // already measured: kept
    ScanCache(&listing);
    EXPECT_EQ(listing.clusterSize, 512u);
}

TEST_F(ScanFixture, OutOfMemoryAnywhereFreesTheListingWithError8)
{
    for (int i = 0; i < 120; i++) {
        SeedEntry entry;
        entry.url = "http://example.com/entry" + std::to_string(i);
        entry.header = i == 60 ? std::string(5000, 'h') : "HTTP/1.1 200 OK";
        ASSERT_NE(SeedCacheEntry(entry), "");
    }
    ResetHeapRequestCount();
    ScanCache(&listing);
    ASSERT_EQ(listing.count, 120);
    LONG requests = HeapRequestCount();
    FreeListing(&listing);
    for (LONG k = 0; k < requests; k++) {
        SCOPED_TRACE(k);
        FailHeapAfter(k);
        ScanCache(&listing);
        FailHeapAfter(-1);
        EXPECT_EQ(listing.error, 8u);
        EXPECT_EQ(listing.count, 0);
        EXPECT_EQ(listing.records, nullptr);
        EXPECT_EQ(listing.strings, nullptr);
    }
}

TEST_F(ScanFixture, FiveThousandEntriesComeBackExactlyWithoutPerEntryAllocation)
{
    for (int i = 0; i < 5000; i++) {
        SeedEntry entry;
        entry.url = "http://host" + std::to_string(i % 97) + ".example/path/" + std::to_string(i) + "?q=" +
                    std::string(i % 40, 'q');
        entry.content = std::string(i % 700 + 1, 'c');
        entry.type = i % 50 == 0 ? COOKIE_ENTRY : NORMAL_ENTRY;
        entry.modified = MakeFileTime(2004 + i % 3, 1 + i % 12, 1 + i % 28);
        entry.header = "HTTP/1.1 200 OK; X-Entry: " + std::to_string(i);
        ASSERT_NE(SeedCacheEntry(entry), "") << i;
    }
    g_app.settings.includeCookies = 1;
    ResetHeapRequestCount();
    ScanCache(&listing);
    LONG requests = HeapRequestCount();
    ASSERT_EQ(listing.error, 0u);
    std::vector<CachedRecord> expected = ReadCacheDirectly();
    ASSERT_EQ(expected.size(), 5000u);
    ASSERT_EQ(listing.count, 5000);
    for (LONG i = 0; i < listing.count; i++) {
        const CacheEntry* e = EntryAt(&listing, i);
        const CachedRecord& r = expected[i];
        ASSERT_STREQ(e->url, r.url.c_str()) << i;
        ASSERT_STREQ(e->localFile, r.localFile.c_str()) << i;
        ASSERT_EQ(e->size, r.size) << i;
        ASSERT_EQ(e->typeFlags, r.type) << i;
        ASSERT_TRUE(SameTime(e->lastModified, r.lastModified)) << i;
        ASSERT_TRUE(SameTime(e->lastAccess, r.lastAccess)) << i;
        ASSERT_STREQ(e->headerText, r.header.substr(0, 256).c_str()) << i;
    }
    // Records come 500 to a block, the pointer array grows by 100 and strings fill
    // 64 KB blocks: about 10 + 50 + 20 requests for 5,000 entries, not thousands.
    EXPECT_LT(requests, 100);
}

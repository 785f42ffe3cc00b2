#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <string.h>
#include <vector>
#include "compaction.h"
#include "merge.h"
#include "entry_status.h"
#include "heap.h"
#include "merge_helpers.h"

namespace {

// An entry's values apart from where its strings lie.
struct EntryImage {
    CacheEntry fields;
    std::string url, localFile, headerText;
    bool hasUrl, hasLocalFile, hasHeaderText;
};

EntryImage Image(const CacheEntry* entry)
{
    EntryImage image = {*entry, entry->url ? entry->url : "", entry->localFile ? entry->localFile : "",
                        entry->headerText ? entry->headerText : "", entry->url != nullptr,
                        entry->localFile != nullptr, entry->headerText != nullptr};
    image.fields.url = image.fields.localFile = image.fields.headerText = nullptr;
    return image;
}

void ExpectSame(const EntryImage& a, const EntryImage& b)
{
    EXPECT_EQ(memcmp(&a.fields, &b.fields, sizeof(CacheEntry)), 0);
    EXPECT_EQ(a.hasUrl, b.hasUrl);
    EXPECT_EQ(a.hasLocalFile, b.hasLocalFile);
    EXPECT_EQ(a.hasHeaderText, b.hasHeaderText);
    EXPECT_EQ(a.url, b.url);
    EXPECT_EQ(a.localFile, b.localFile);
    EXPECT_EQ(a.headerText, b.headerText);
}

std::vector<EntryImage> LiveImages(const Listing* listing)
{
    std::vector<EntryImage> images;
    for (CacheEntry* row : Rows(listing))
        if (row->status != STATUS_DELETED)
            images.push_back(Image(row));
    return images;
}

}  // namespace

TEST(Compaction, KeepsLiveRowsInOrderInPoolsSizedToFit)
{
    IncludeOptions cookiesJustOn(0, 0, 1, 0);
    TestListing main, scan;
    Add(main.get(), "u1", "C:\\cache\\A1B2C3D4\\long-file-name[1].htm", "HTTP/1.1 200 OK");
    Add(main.get(), "u2", "b");
    Add(main.get(), nullptr, "c");
    Add(main.get(), "u4", "d");
    Add(main.get(), "u7", nullptr);
    BuildIndexes(main.get());
    Add(scan.get(), "u1", "C:\\cache\\Z\\a[1].htm");             // moved, overwritten in place
    Add(scan.get(), "u9", "c")->lastAccess = Time(101);          // finished
    Add(scan.get(), "u4", "d");
    Add(scan.get(), "u7", nullptr);
    Add(scan.get(), "u8", "e");                                  // added while cookies were just switched on
    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    ASSERT_EQ(EntryAt(main.get(), 0)->status, STATUS_MOVED);
    ASSERT_EQ(EntryAt(main.get(), 1)->status, STATUS_DELETED);
    ASSERT_EQ(EntryAt(main.get(), 5)->status, STATUS_ADDED_HIDDEN);

    // A sort permutes the rows; compaction keeps that order.
    std::reverse(main->records->pointers, main->records->pointers + main->count);
    main->strayCount = 2;
    main->error = 5;
    main->flags = LISTING_HAS_COOKIE;
    main->clusterSize = 4096;
    std::vector<EntryImage> live = LiveImages(main.get());
    DWORD carved = ArenaBytesInUse(main->strings);

    ASSERT_EQ(CompactListing(main.get()), 0u);
    ASSERT_EQ(main->count, 5);
    for (LONG i = 0; i < main->count; i++) {
        SCOPED_TRACE(i);
        CacheEntry* row = EntryAt(main.get(), i);
        ExpectSame(Image(row), live[i]);
        for (const char* text : {row->url, row->localFile, row->headerText}) {
            if (text) {
                EXPECT_TRUE(InPool(main->strings, text));
            }
        }
        DWORD slot;
        if (row->localFile) {
            EXPECT_EQ(FindEntry(&main->byLocalFile, row->localFile, &slot), row);
        }
        if (row->url) {
            EXPECT_EQ(FindEntry(&main->byUrl, row->url, &slot), row);   // the finished stray too
        }
    }
    EXPECT_EQ(main->strings->first.capacity, carved);
    EXPECT_EQ(main->strings->first.next, nullptr);
    EXPECT_EQ(main->strings->blockSize, 32736u);
    EXPECT_LT(ArenaBytesInUse(main->strings), carved);   // abandoned texts are gone
    EXPECT_EQ(main->records->first.capacity, 56u * sizeof(CacheEntry));
    EXPECT_EQ(main->records->blockSize, 56u * 50);
    EXPECT_EQ(main->records->pointerCapacity, 156u);
    EXPECT_EQ(main->strayCount, 0);
    EXPECT_EQ(main->error, 0u);
    EXPECT_EQ(main->flags, 0u);
    EXPECT_EQ(main->clusterSize, 4096u);
    EXPECT_EQ(main->byLocalFile.keyField, KEY_LOCAL_FILE);
    EXPECT_EQ(main->byUrl.keyField, KEY_URL);
    EXPECT_EQ(main->byUrl.tableSize, 793u);
}

TEST(Compaction, NothingLiveGivesMinimalPools)
{
    for (int entries : {0, 3}) {
        SCOPED_TRACE(entries);
        TestListing listing;
        for (int i = 0; i < entries; i++)
            Add(listing.get(), ("u" + std::to_string(i)).c_str(), "f")->status = STATUS_DELETED;
        DWORD carved = ArenaBytesInUse(listing->strings);
        ASSERT_EQ(CompactListing(listing.get()), 0u);
        EXPECT_EQ(listing->count, 0);
        EXPECT_EQ(listing->strings->first.capacity, entries ? carved : 4u);
        EXPECT_EQ(listing->records->first.capacity, (entries + 50u) * sizeof(CacheEntry));
        EXPECT_EQ(listing->byLocalFile.tableSize, 793u);
        EXPECT_EQ(listing->byUrl.tableSize, 793u);
    }
}

// The bytes in use are counted over every block of the old pool, so that the first
// new block holds all live strings, however many blocks they came from.
TEST(Compaction, StringsFromManyBlocksFitTheFirstNewBlock)
{
    TestListing listing;
    UseTinyBlocks(listing.get());
    for (int i = 0; i < 5; i++)
        Add(listing.get(), ("http://h/" + std::to_string(i)).c_str(), ("C:\\f" + std::to_string(i)).c_str());
    DWORD carved = ArenaBytesInUse(listing->strings);
    ASSERT_EQ(CompactListing(listing.get()), 0u);
    EXPECT_EQ(listing->strings->first.capacity, carved);
    EXPECT_EQ(listing->strings->first.remaining, 0u);
    EXPECT_EQ(listing->strings->first.next, nullptr);
    EXPECT_STREQ(EntryAt(listing.get(), 4)->localFile, "C:\\f4");
}

TEST(Compaction, FailureAtEveryRequestLeavesTheListingAsItWas)
{
    HeapFailureGuard guard;
    LONG k = 0;
    for (;; k++) {
        SCOPED_TRACE(k);
        ASSERT_LT(k, 20);
        TestListing listing;
        Add(listing.get(), "u0", "f0", "h0");
        Add(listing.get(), "u1", "f1")->status = STATUS_DELETED;
        Add(listing.get(), nullptr, "f2")->status = STATUS_ADDED_HIDDEN;
        BuildIndexes(listing.get());
        Listing before = listing.listing;
        std::vector<CacheEntry*> rows = Rows(listing.get());
        std::vector<EntryImage> images;
        for (CacheEntry* row : rows)
            images.push_back(Image(row));
        std::vector<CacheEntry*> fileSlots(before.byLocalFile.slots, before.byLocalFile.slots + 793);

        FailHeapAfter(k);
        DWORD result = CompactListing(listing.get());
        FailHeapAfter(-1);
        if (result == 0) {
            ASSERT_EQ(listing->count, 2);
            EXPECT_EQ(EntryAt(listing.get(), 1)->status, STATUS_ADDED_HIDDEN);
            break;
        }
        ASSERT_EQ(result, 8u);
        EXPECT_EQ(memcmp(&before, listing.get(), sizeof(Listing)), 0);
        EXPECT_EQ(Rows(listing.get()), rows);
        for (size_t i = 0; i < rows.size(); i++)
            ExpectSame(Image(rows[i]), images[i]);
        EXPECT_EQ(std::vector<CacheEntry*>(listing->byLocalFile.slots, listing->byLocalFile.slots + 793), fileSlots);
    }
    EXPECT_GE(k, 3);    // both pools and the pointer array failed once each
}

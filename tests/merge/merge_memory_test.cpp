#include <gtest/gtest.h>
#include <set>
#include <string.h>
#include "merge.h"
#include "entry_status.h"
#include "heap.h"
#include "merge_helpers.h"

namespace {

// The worked example, with a new entry carrying a header and a new stray.
void FillMain(Listing* main)
{
    Add(main, "u1", "a");
    Add(main, "u2", "b");
    Add(main, nullptr, "c");
    Add(main, "u5", "e");
}

void FillScan(Listing* scan)
{
    Add(scan, "u1", "a")->lastAccess = Time(101);
    Add(scan, "u2", "C:\\cache\\X\\b2[1].htm");
    Add(scan, "u4", "c")->lastModified = Time(201);
    Add(scan, "u3", "d", "HTTP/1.1 200 OK");
    Add(scan, nullptr, "C:\\cache\\X\\stray.gif");
}

// No row beyond count, no index slot outside the rows, no string outside the
// main listing's pool, no text that released memory shows through.
void ExpectConsistent(Listing* main)
{
    std::vector<CacheEntry*> rows = Rows(main);
    std::set<CacheEntry*> known(rows.begin(), rows.end());
    EXPECT_EQ(main->records->pointerCount, (DWORD)main->count);
    for (const EntryIndex* index : {&main->byLocalFile, &main->byUrl}) {
        for (DWORD s = 0; s < index->tableSize; s++) {
            if (index->slots[s]) {
                EXPECT_TRUE(known.count(index->slots[s])) << "slot " << s;
            }
        }
    }
    for (CacheEntry* row : rows) {
        for (const char* text : {row->url, row->localFile, row->headerText}) {
            if (text) {
                EXPECT_TRUE(InPool(main->strings, text));
                EXPECT_EQ(strchr(text, '\xDD'), nullptr);
            }
        }
    }
}

}  // namespace

TEST(MergeMemory, FailureAtEveryRequestLeavesNoHalfBuiltEntry)
{
    HeapFailureGuard guard;
    for (bool indexesBuilt : {true, false}) {
        LONG k = 0;
        for (;; k++) {
            SCOPED_TRACE(testing::Message() << (indexesBuilt ? "built" : "empty") << " indexes, k=" << k);
            ASSERT_LT(k, 100);
            TestListing main, scan;
            UseTinyBlocks(main.get());
            FillMain(main.get());
            if (indexesBuilt)
                BuildIndexes(main.get());
            FillScan(scan.get());

            FailHeapAfter(k);
            DWORD result = MergeEntries(main.get(), scan.get());
            FailHeapAfter(-1);
            ASSERT_TRUE(result == 0 || result == 8) << result;

            // Each main entry is either fully updated or untouched.
            CacheEntry* b = EntryAt(main.get(), 1);
            CacheEntry* c = EntryAt(main.get(), 2);
            if (b->status == STATUS_DELETED)
                EXPECT_STREQ(b->localFile, "b");
            else
                EXPECT_STREQ(b->localFile, "C:\\cache\\X\\b2[1].htm");
            EXPECT_EQ(c->url == nullptr, c->status == STATUS_DELETED);

            // The caller frees the scan listing right after the merge, whatever it gave.
            PoisonReleasedHeap(TRUE);
            FreeListing(scan.get());
            PoisonReleasedHeap(FALSE);
            ExpectConsistent(main.get());
            if (result == 0) {
                EXPECT_EQ(main->count, 6);
                EXPECT_EQ(b->status, STATUS_MOVED);
                EXPECT_EQ(c->status, STATUS_FINISHED);
                break;
            }

            // The next merge finishes the work without appending anything twice.
            TestListing again;
            FillScan(again.get());
            ASSERT_EQ(MergeEntries(main.get(), again.get()), 0u);
            EXPECT_EQ(main->count, 6);
            for (CacheEntry* row : Rows(main.get()))
                EXPECT_EQ(row->status == STATUS_DELETED, row == EntryAt(main.get(), 3)) << row->localFile;
        }
        EXPECT_GT(k, 8);    // the failures reached records, strings and index builds
    }
}

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>
#include "ordering.h"
#include "heap.h"
#include "listing_builder.h"

namespace {

FILETIME Time(ULONGLONG value)
{
    FILETIME time = {(DWORD)value, (DWORD)(value >> 32)};
    return time;
}

// Rows chosen so that every column has equal keys, extreme values and absent texts.
struct Row {
    const char* url;
    const char* localFile;
    const char* header;
    LONG status;
    DWORD size;
    ULONGLONG lastAccess;
    DWORD typeFlags;
    DWORD hitRate;
    DWORD useCount;
    DWORD exemptDelta;
    ULONGLONG time;     // last modified, last sync and expiry
};

const Row MIXED[] = {
    {"http://b.example/x", "C:\\c\\a\\x", "HTTP/1.1 200 OK", 1, 10, 500, 1, 5, 2, 0, 7},
    {nullptr, "C:\\c\\b\\stray", nullptr, 7, 0x80000000, 500, 0x20, 0, 0, 0, 0},
    {"Cookie:user@b.example/", "C:\\c\\k\\u.txt", nullptr, 1, 300, 0xFFFFFFFF00000000ULL, 0x100001, 1, 1,
     0x80000000, 0x8000000000000000ULL},
    {"HTTP://B.EXAMPLE/X", "c:\\C\\A\\X", "http/1.1 200 ok", 0, 10, 500, 0x80000001, 0x80000000, 0x7FFFFFFF,
     0xFFFFFFFF, 7},
    {"http://a.example/", "", "", 8, 0xFFFFFFFF, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0x80000000, 1, 1},
    {"http://b.example/x", "C:\\c\\a\\x", "HTTP/1.1 200 OK", 1, 10, 500, 1, 5, 2, 0, 7},
    {nullptr, "C:\\c\\b\\other", nullptr, 2, 1, 499, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0x7FFFFFFF, 0xFFFFFFFFULL},
};

void FillMixed(Listing* listing)
{
    for (const Row& r : MIXED) {
        CacheEntry* e = AddEntry(listing, r.url, r.localFile, r.header);
        e->status = r.status;
        e->size = r.size;
        e->lastAccess = Time(r.lastAccess);
        e->typeFlags = r.typeFlags;
        e->hitRate = r.hitRate;
        e->useCount = r.useCount;
        e->exemptDelta = r.exemptDelta;
        e->lastModified = e->lastSync = e->expireTime = Time(r.time);
    }
}

std::vector<LONG> Order(const Listing* listing)
{
    std::vector<LONG> order;
    for (LONG row = 0; row < listing->count; row++)
        order.push_back(EntryAt(listing, row)->entryNumber);
    return order;
}

const LONG ASCENDING = 0;
const LONG DESCENDING = 1;

}  // namespace

TEST(Ordering, EveryColumnInBothDirections)
{
    struct Case { LONG column; LONG direction; std::vector<LONG> order; } cases[] = {
        {0, ASCENDING, {0, 1, 2, 3, 4, 5, 6}},
        {0, DESCENDING, {6, 5, 4, 3, 2, 1, 0}},
        // Strays sort as "", case does not count, equal keys fall to the entry number.
        {1, ASCENDING, {1, 6, 2, 4, 0, 3, 5}},
        {1, DESCENDING, {0, 3, 5, 4, 2, 1, 6}},
        {2, ASCENDING, {3, 0, 2, 5, 6, 1, 4}},
        {2, DESCENDING, {4, 1, 6, 0, 2, 5, 3}},
        {3, ASCENDING, {4, 0, 3, 5, 6, 1, 2}},
        {3, DESCENDING, {2, 1, 6, 0, 3, 5, 4}},
        // Sizes are unsigned: 0x80000000 and 0xFFFFFFFF are the largest.
        {4, ASCENDING, {6, 0, 3, 5, 2, 1, 4}},
        {4, DESCENDING, {4, 1, 2, 0, 3, 5, 6}},
        // Equal times order by URL in the same direction, then by entry number.
        {5, ASCENDING, {4, 6, 1, 0, 3, 5, 2}},
        {5, DESCENDING, {2, 0, 3, 5, 1, 6, 4}},
        {6, ASCENDING, {1, 4, 0, 3, 5, 6, 2}},
        {6, DESCENDING, {2, 6, 0, 3, 5, 4, 1}},
        {7, ASCENDING, {1, 4, 0, 3, 5, 6, 2}},
        // Flags are signed: the top bit sorts first.
        {8, ASCENDING, {3, 6, 0, 5, 1, 2, 4}},
        {8, DESCENDING, {4, 2, 1, 0, 5, 6, 3}},
        {9, ASCENDING, {3, 6, 1, 2, 0, 5, 4}},
        {9, DESCENDING, {4, 0, 5, 2, 1, 6, 3}},
        {10, ASCENDING, {4, 1, 6, 2, 0, 5, 3}},
        {10, DESCENDING, {3, 0, 5, 2, 1, 6, 4}},
        // Exempt deltas are unsigned.
        {11, ASCENDING, {0, 1, 5, 4, 6, 2, 3}},
        {11, DESCENDING, {3, 2, 6, 4, 0, 1, 5}},
        {12, ASCENDING, {1, 4, 0, 3, 5, 6, 2}},
        {12, DESCENDING, {2, 6, 0, 3, 5, 4, 1}},
        {13, ASCENDING, {1, 2, 4, 6, 0, 3, 5}},
        {13, DESCENDING, {0, 3, 5, 1, 2, 4, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.column) + (c.direction ? " descending" : " ascending"));
        TestListing listing;
        FillMixed(listing.get());
        SortListing(listing.get(), c.column, c.direction);
        EXPECT_EQ(Order(listing.get()), c.order);
        EXPECT_EQ(SortDescending, (DWORD)c.direction);

        // The comparator table gives the same order on its own.
        std::vector<CacheEntry*> rows;
        for (LONG row = 0; row < listing->count; row++)
            rows.push_back(EntryAt(listing.get(), row));
        for (size_t i = 1; i < rows.size(); i++)
            EXPECT_LT(EntryComparators[c.column](&rows[i - 1], &rows[i]), 0) << "rows " << i - 1 << ", " << i;
    }
}

TEST(Ordering, SignedKeysCompareByValueAtTheExtremes)
{
    TestListing listing;
    LONG numbers[] = {0x7FFFFFFF, (LONG)0x80000000, -1, 0, 1, (LONG)0x80000001};
    for (LONG n : numbers) {
        CacheEntry* e = AddEntry(listing.get(), "u", "f");
        e->status = n;
        e->entryNumber = n;
    }
    for (LONG column : {0, 2}) {
        SCOPED_TRACE(column);
        SortListing(listing.get(), column, ASCENDING);
        EXPECT_EQ(Order(listing.get()), (std::vector<LONG>{(LONG)0x80000000, (LONG)0x80000001, -1, 0, 1, 0x7FFFFFFF}));
    }
    // Equal status: the entry numbers, ascending even when sorting descending.
    for (LONG row = 0; row < listing->count; row++)
        EntryAt(listing.get(), row)->status = 3;
    SortListing(listing.get(), 2, DESCENDING);
    EXPECT_EQ(Order(listing.get()), (std::vector<LONG>{(LONG)0x80000000, (LONG)0x80000001, -1, 0, 1, 0x7FFFFFFF}));
}

TEST(Ordering, NothingChangesForAnEmptyListingOrANegativeColumn)
{
    SortDescending = 1;
    TestListing empty;
    SortListing(empty.get(), 1, ASCENDING);
    EXPECT_EQ(SortDescending, 1u);
    Listing freed = {};
    SortListing(&freed, 1, ASCENDING);
    EXPECT_EQ(SortDescending, 1u);

    TestListing listing;
    FillMixed(listing.get());
    SortListing(listing.get(), 0, DESCENDING);
    std::vector<LONG> before = Order(listing.get());
    SortDescending = 0;
    SortListing(listing.get(), -1, DESCENDING);
    EXPECT_EQ(Order(listing.get()), before);
    EXPECT_EQ(SortDescending, 0u);
}

TEST(Ordering, TextColumnsTakeOneKeyBlockAndWithoutItSortTheSameWay)
{
    for (LONG column : {1, 3, 5, 13}) {
        for (LONG direction : {ASCENDING, DESCENDING}) {
            SCOPED_TRACE(std::to_string(column) + (direction ? " descending" : " ascending"));
            TestListing keyed;
            FillMixed(keyed.get());
            ResetHeapRequestCount();
            SortListing(keyed.get(), column, direction);
            EXPECT_EQ(HeapRequestCount(), 1);

            TestListing fallback;
            FillMixed(fallback.get());
            HeapFailureGuard guard;
            FailHeapAfter(0);
            SortListing(fallback.get(), column, direction);
            FailHeapAfter(-1);
            EXPECT_EQ(Order(fallback.get()), Order(keyed.get()));
        }
    }
    TestListing numeric;
    FillMixed(numeric.get());
    ResetHeapRequestCount();
    SortListing(numeric.get(), 4, ASCENDING);
    EXPECT_EQ(HeapRequestCount(), 0);
}

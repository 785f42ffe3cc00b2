#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include <windows.h>
#include "ordering.h"
#include "listing_builder.h"

namespace {

struct Random {
    DWORD state;
    DWORD Below(DWORD n)
    {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    }
};

// Pieces whose collation is easy to get wrong: hyphens and apostrophes (which the
// locale comparison weighs apart from other punctuation), blanks, accented Latin-1
// letters next to their plain and expanded forms, digits and punctuation.
const char* const PIECES[] = {
    "http://", "https://", "ftp://", "www.", "example", "co-op", "coop", "co'op", "o'neil", "oneil", "o neil",
    "o-neil", "caf\xe9", "cafe", "caf\xe8", "na\xefve", "\xfc" "ber", "uber", "ueber", "stra\xdf" "e", "strasse",
    "\xe6on", "aeon", "sm\xf8rrebr\xf8" "d", "\xe5", "\xf1", "n", "\xc0", "a", "z", "-", "--", "'", " ", "  ",
    "_", ".", "/", "?", "=", "&", "%20", "~", "+", ",", ";", "!", "(", ")", "#", "@", "0", "1", "9", "10", "2",
    "007", "x", "\xff", "\xd0", "\xde", "\xbf", "\xa0",
};

std::string MixCase(std::string text, Random* random)
{
    for (char& c : text) {
        if (random->Below(3) == 0)
            CharUpperBuffA(&c, 1);
    }
    return text;
}

// URL-like texts; every twentieth repeats an earlier one in other letter case.
std::vector<std::string> MakeCorpus(size_t size, DWORD seed)
{
    Random random = {seed};
    std::vector<std::string> corpus;
    const DWORD pieceCount = sizeof(PIECES) / sizeof(PIECES[0]);
    while (corpus.size() < size) {
        if (corpus.size() > 20 && corpus.size() % 20 == 0) {
            corpus.push_back(MixCase(corpus[random.Below((DWORD)corpus.size())], &random));
            continue;
        }
        std::string text;
        for (DWORD n = 2 + random.Below(9); n > 0; n--)
            text += PIECES[random.Below(pieceCount)];
        corpus.push_back(MixCase(text, &random));
    }
    return corpus;
}

std::vector<LONG> Order(const Listing* listing)
{
    std::vector<LONG> order;
    for (LONG row = 0; row < listing->count; row++)
        order.push_back(EntryAt(listing, row)->entryNumber);
    return order;
}

// The order the column's comparator gives, with lstrcmpiA for every text comparison.
std::vector<LONG> ComparatorOrder(const Listing* listing, LONG column)
{
    std::vector<CacheEntry*> rows;
    for (LONG row = 0; row < listing->count; row++)
        rows.push_back(EntryAt(listing, row));
    EntryComparator compare = EntryComparators[column];
    std::sort(rows.begin(), rows.end(), [compare](CacheEntry* a, CacheEntry* b) { return compare(&a, &b) < 0; });
    std::vector<LONG> order;
    for (CacheEntry* entry : rows)
        order.push_back(entry->entryNumber);
    return order;
}

}  // namespace

TEST(Collation, TextColumnsSortExactlyAsTheComparatorsDoOnALargeMixedCorpus)
{
    const size_t size = 25000;
    std::vector<std::string> urls = MakeCorpus(size, 1);
    std::vector<std::string> files = MakeCorpus(size, 2);
    std::vector<std::string> headers = MakeCorpus(size, 3);
    TestListing listing;
    Random random = {4};
    for (size_t i = 0; i < size; i++) {
        // Some rows are strays without a URL, some texts empty.
        const char* url = i % 50 == 7 ? nullptr : urls[i].c_str();
        const char* header = i % 40 == 3 ? nullptr : i % 40 == 4 ? "" : headers[i].c_str();
        CacheEntry* e = AddEntry(listing.get(), url, files[i].c_str(), header);
        ASSERT_NE(e, nullptr);
        // Few distinct access times, so that the URL decides most of column 5.
        e->lastAccess.dwLowDateTime = random.Below(4);
    }

    struct Case { LONG column; DWORD direction; } cases[] = {
        {1, 0}, {1, 1}, {3, 0}, {5, 1}, {13, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.column) + (c.direction ? " descending" : " ascending"));
        SortListing(listing.get(), c.column, c.direction);
        std::vector<LONG> sorted = Order(listing.get());
        std::vector<LONG> expected = ComparatorOrder(listing.get(), c.column);
        ASSERT_EQ(sorted.size(), expected.size());
        size_t firstDifference = std::mismatch(sorted.begin(), sorted.end(), expected.begin()).first - sorted.begin();
        EXPECT_EQ(firstDifference, sorted.size());
        if (firstDifference < sorted.size()) {
            const CacheEntry* got = EntryAt(listing.get(), (LONG)firstDifference);
            ADD_FAILURE() << "row " << firstDifference << " holds entry " << got->entryNumber << " (\""
                          << (got->url ? got->url : "") << "\"), the comparator puts entry "
                          << expected[firstDifference] << " there";
        }
    }
}

// The collation-key sort of the text columns against their comparators.
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#include "heap.h"
#include "listing_builder.h"
#include "ordering.h"

namespace {

std::string Order(const Listing* listing)
{
    std::string order;
    for (LONG row = 0; row < listing->count; row++)
        order += (row ? " " : "") + std::to_string(EntryAt(listing, row)->entryNumber);
    return order;
}

// URL-like texts of pieces whose collation is easy to get wrong; every twentieth repeats an earlier one.
std::vector<std::string> Corpus(size_t size, std::mt19937& random)
{
    static const char* const pieces[] = {
        "http://", "https://", "www.", "example", "co-op", "coop", "co'op", "o'neil", "oneil", "o neil", "o-neil",
        "caf\xe9", "cafe", "caf\xe8", "na\xefve", "\xfc" "ber", "uber", "ueber", "stra\xdf" "e", "strasse", "\xe6on",
        "aeon", "\xe5", "\xf1", "n", "\xc0", "a", "z", "-", "--", "'", " ", "  ", "_", ".", "/", "?", "=", "&",
        "%20", "~", "+", ",", ";", "!", "(", "#", "@", "0", "1", "9", "10", "2", "007", "\xff", "\xd0", "\xde", "\xa0",
    };
    std::vector<std::string> corpus;
    while (corpus.size() < size) {
        std::string text;
        if (corpus.size() % 20 == 19)
            text = corpus[random() % corpus.size()];
        for (int n = text.empty() ? 2 + random() % 9 : 0; n > 0; n--)
            text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        for (char& c : text)
            if (random() % 3 == 0)
                CharUpperBuffA(&c, 1);
        corpus.push_back(text);
    }
    return corpus;
}

}  // namespace

// Keys made once per row, in one heap block, or without it the comparators: the same order.
TEST(Collation, KeyedSortEqualsTheComparatorSortOnALargeMixedCorpus)
{
    const size_t size = 6000;
    std::mt19937 random(1);
    std::vector<std::string> urls = Corpus(size, random), files = Corpus(size, random), headers = Corpus(size, random);
    TestListing listing;
    for (size_t i = 0; i < size; i++) {
        const char* header = i % 40 == 3 ? nullptr : i % 40 == 4 ? "" : headers[i].c_str();
        AddEntry(listing.get(), i % 50 == 7 ? nullptr : urls[i].c_str(), files[i].c_str(), header)
            ->lastAccess.dwLowDateTime = random() % 4;
    }
    for (LONG column : {1, 3, 5, 13}) {
        for (DWORD direction : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "column " << column << (direction ? " descending" : " ascending"));
            SortListing(listing.get(), 0, 0);
            ResetHeapRequestCount();
            SortListing(listing.get(), column, direction);
            EXPECT_EQ(HeapRequestCount(), 1);
            std::string keyed = Order(listing.get());
            SortListing(listing.get(), 0, 0);
            FailHeapAfter(0);
            SortListing(listing.get(), column, direction);
            FailHeapAfter(-1);
            EXPECT_TRUE(Order(listing.get()) == keyed);     // not EXPECT_EQ: 6,000 numbers
        }
    }
}

#include <gtest/gtest.h>
#include <string>
#include <windows.h>
#include "summary.h"
#include "listing_builder.h"

namespace {

CacheEntry* Add(Listing* listing, const char* url, DWORD size, LONG status = 1, DWORD typeFlags = 1)
{
    CacheEntry* e = AddEntry(listing, url, "C:\\c\\s\\f");
    e->size = size;
    e->status = status;
    e->typeFlags = typeFlags;
    return e;
}

struct Texts {
    char sizes[SUMMARY_TEXT_BYTES];
    char strays[SUMMARY_TEXT_BYTES];
};

Texts Format(const ListingSummary& summary)
{
    Texts texts;
    FormatListingSummary(&summary, texts.sizes, texts.strays);
    return texts;
}

std::string SizesText(const ListingSummary& summary) { return Format(summary).sizes; }
std::string StraysText(const ListingSummary& summary) { return Format(summary).strays; }

}  // namespace

TEST(Summary, SizesRoundUpToTheClusterSize)
{
    struct Case { DWORD cluster; ULONGLONG total; } cases[] = {
        {4096, 0 + 4096 + 4096 + 8192}, {1, 0 + 1 + 4096 + 4097}, {0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cluster);
        TestListing listing;
        listing->clusterSize = c.cluster;
        for (DWORD size : {0u, 1u, 4096u, 4097u})
            Add(listing.get(), "http://u/", size);
        ListingSummary summary = SummarizeListing(listing.get());
        EXPECT_EQ(summary.currentSize, c.total);
        EXPECT_EQ(summary.entryCount, 4u);
        EXPECT_EQ(SizesText(summary), "CurSize: " + std::to_string(c.total) +
                                          "   Amt added: 0   Amt Del'd: 0   NumEntries: 4   ClusterSize: " +
                                          std::to_string(c.cluster));
    }
}

TEST(Summary, EachKindOfRowCountsWhereItBelongs)
{
    TestListing listing;
    listing->clusterSize = 1;
    Add(listing.get(), "http://unchanged/", 1);
    Add(listing.get(), "http://deleted/", 20, 0);
    Add(listing.get(), "http://added/", 300, 7);
    Add(listing.get(), "http://hidden/", 4000, 8);                 // added unseen: not in "Amt added"
    Add(listing.get(), "Cookie:u@h/", 50000, 7, 0x100001);         // one entry, no bytes
    Add(listing.get(), nullptr, 600000);                           // a stray
    Add(listing.get(), nullptr, 7000000, 7);                       // an added stray
    Add(listing.get(), nullptr, 80000000, 0);                      // a deleted stray
    ListingSummary summary = SummarizeListing(listing.get());
    EXPECT_EQ(summary.currentSize, 1u + 300 + 4000 + 600000 + 7000000);
    EXPECT_EQ(summary.amountAdded, 300u + 7000000);
    EXPECT_EQ(summary.amountDeleted, 20u + 80000000);
    EXPECT_EQ(summary.entryCount, 4u);
    EXPECT_EQ(summary.straySize, 600000u + 7000000);
    EXPECT_EQ(summary.strayCount, 2u);
    EXPECT_EQ(summary.clusterSize, 1u);
    EXPECT_EQ(SizesText(summary),
              "CurSize: 7604301   Amt added: 7000300   Amt Del'd: 80000020   NumEntries: 4   ClusterSize: 1");
    EXPECT_EQ(StraysText(summary), "Size of strays: 7600000   NumStrays: 2");
}

TEST(Summary, TotalsBeyond4GiBPrintWhole)
{
    TestListing listing;
    listing->clusterSize = 4096;
    // Each rounds up to exactly 4 GiB rather than wrapping to 0.
    for (int i = 0; i < 3; i++) {
        Add(listing.get(), "http://big/", 0xFFFFF001, 7);
        Add(listing.get(), nullptr, 0xFFFFFFFF);
        Add(listing.get(), "http://gone/", 0x80000000, 0);
    }
    ListingSummary summary = SummarizeListing(listing.get());
    EXPECT_EQ(SizesText(summary), "CurSize: 25769803776   Amt added: 12884901888   Amt Del'd: 6442450944"
                                  "   NumEntries: 3   ClusterSize: 4096");
    EXPECT_EQ(StraysText(summary), "Size of strays: 12884901888   NumStrays: 3");
}

TEST(Summary, AListingWithoutRowsTotalsNothing)
{
    Listing freed = {};
    freed.clusterSize = 512;
    ListingSummary summary = SummarizeListing(&freed);
    EXPECT_EQ(SizesText(summary), "CurSize: 0   Amt added: 0   Amt Del'd: 0   NumEntries: 0   ClusterSize: 512");
    EXPECT_EQ(StraysText(summary), "Size of strays: 0   NumStrays: 0");
}

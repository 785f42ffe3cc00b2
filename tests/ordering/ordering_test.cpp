// The fourteen column orderings, the collation-key sort behind the text columns, and
// the status bar totals.
#include <random>
#include <string>
#include <vector>
#include "listing_builder.h"
#include "ordering.h"
#include "summary.h"

namespace {

std::string Order(const Listing* listing)
{
    std::string order;
    for (LONG row = 0; row < listing->count; row++)
        order += (row ? " " : "") + std::to_string(EntryAt(listing, row)->entryNumber);
    return order;
}

// Rows with equal keys, extreme values and absent texts in every column; last modified,
// last sync and expiry take one value, `time`.
struct Row { const char *url, *localFile, *header; LONG status; DWORD size, typeFlags, hitRate, useCount, exemptDelta;
             ULONGLONG lastAccess, time; };
const Row MIXED[] = {
    {"http://b.example/x", "C:\\c\\a\\x", "HTTP/1.1 200 OK", 1, 10, 1, 5, 2, 0, 500, 7},
    {nullptr, "C:\\c\\b\\stray", nullptr, 7, 0x80000000, 0x20, 0, 0, 0, 500, 0},
    {"Cookie:user@b.example/", "C:\\c\\k\\u.txt", nullptr, 1, 300, 0x100001, 1, 1, 0x80000000, 0xFFFFFFFF00000000,
     0x8000000000000000},
    {"HTTP://B.EXAMPLE/X", "c:\\C\\A\\X", "http/1.1 200 ok", 0, 10, 0x80000001, 0x80000000, 0x7FFFFFFF, 0xFFFFFFFF, 500,
     7},
    {"http://a.example/", "", "", 8, 0xFFFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x80000000, 1, 0, 1},
    {"http://b.example/x", "C:\\c\\a\\x", "HTTP/1.1 200 OK", 1, 10, 1, 5, 2, 0, 500, 7},
    {nullptr, "C:\\c\\b\\other", nullptr, 2, 1, 0xFFFFFFFF, 0xFFFFFFFF, 0, 0x7FFFFFFF, 499, 0xFFFFFFFF},
};

FILETIME Time(ULONGLONG value) { return {(DWORD)value, (DWORD)(value >> 32)}; }

// URL-like texts of pieces whose collation is easy to get wrong: hyphens and apostrophes, blanks, control
// characters, accented letters beside their plain and expanded forms, digits, punctuation. Half are 7-bit only;
// every tenth repeats an earlier one, whole, cut short or lengthened, in its own letter case.
std::vector<std::string> Corpus(size_t size, std::mt19937& random)
{
    static const std::vector<std::string> plain = {
        "http://", "https://", "www.", "example", "co-op", "coop", "co'op", "o'neil", "oneil", "o neil", "o-neil",
        "-", "--", "'", " ", "  ", "_", ".", "/", "?", "=", "&", "%20", "~", "+", ",", ";", "!", "(", "#", "@",
        "0", "1", "9", "10", "2", "007", "a", "z", "n", "\x01", "\x7f", "\t", "[", "^", "`", "{", "|",
    };
    std::vector<std::string> mixed = plain;
    mixed.insert(mixed.end(), {"caf\xe9", "cafe", "caf\xe8", "na\xefve", "\xfc" "ber", "uber", "ueber", "stra\xdf" "e",
                               "strasse", "\xe6on", "aeon", "\xe5", "\xf1", "\xc0", "\xff", "\xa0"});
    std::vector<std::string> corpus;
    while (corpus.size() < size) {
        std::string text;
        if (corpus.size() % 10 == 9) {
            text = corpus[random() % corpus.size()];
            text.resize(text.size() - random() % (text.size() + 1) / 2);
        }
        const std::vector<std::string>& pieces = corpus.size() % 2 ? plain : mixed;
        for (int n = text.empty() ? 2 + random() % 9 : random() % 2; n > 0; n--)
            text += pieces[random() % pieces.size()];
        for (char& c : text)
            if (random() % 3 == 0)
                CharUpperBuffA(&c, 1);
        corpus.push_back(text);
    }
    return corpus;
}

}  // namespace

// Entry numbers in row order, ascending then descending. Texts compare without case,
// absent ones as ""; sizes and exempt deltas are unsigned, flags, hit rates and use
// counts signed by value (0x80000000 first); equal access times order by URL in the
// same direction; equal keys fall to the entry number, ascending either way.
TEST(Ordering, EveryColumnInBothDirections)
{
    const char* const orders[SORT_COLUMNS][2] = {
        {"0 1 2 3 4 5 6", "6 5 4 3 2 1 0"}, {"1 6 2 4 0 3 5", "0 3 5 4 2 1 6"}, {"3 0 2 5 6 1 4", "4 1 6 0 2 5 3"},
        {"4 0 3 5 6 1 2", "2 1 6 0 3 5 4"}, {"6 0 3 5 2 1 4", "4 1 2 0 3 5 6"}, {"4 6 1 0 3 5 2", "2 0 3 5 1 6 4"},
        {"1 4 0 3 5 6 2", "2 6 0 3 5 4 1"}, {"1 4 0 3 5 6 2", "2 6 0 3 5 4 1"}, {"3 6 0 5 1 2 4", "4 2 1 0 5 6 3"},
        {"3 6 1 2 0 5 4", "4 0 5 2 1 6 3"}, {"4 1 6 2 0 5 3", "3 0 5 2 1 6 4"}, {"0 1 5 4 6 2 3", "3 2 6 4 0 1 5"},
        {"1 4 0 3 5 6 2", "2 6 0 3 5 4 1"}, {"1 2 4 6 0 3 5", "0 3 5 1 2 4 6"},
    };
    TestListing listing;    // sorted again and again: each order is the keys' alone, whatever the order before
    for (const Row& r : MIXED) {
        CacheEntry* e = AddEntry(listing.get(), r.url, r.localFile, r.header);
        e->status = r.status, e->size = r.size, e->typeFlags = r.typeFlags, e->hitRate = r.hitRate;
        e->useCount = r.useCount, e->exemptDelta = r.exemptDelta, e->lastAccess = Time(r.lastAccess);
        e->lastModified = e->lastSync = e->expireTime = Time(r.time);
    }
    for (LONG column = 0; column < SORT_COLUMNS; column++) {
        for (DWORD direction : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "column " << column << (direction ? " descending" : " ascending"));
            SortListing(listing.get(), column, direction);
            EXPECT_EQ(Order(listing.get()), orders[column][direction]);
            EXPECT_EQ(SortDescending, direction);
        }
    }
}

// Text columns compare 7-bit texts by ranks learned from the system and the rest by collation keys; without
// memory for the sort they fall back to the comparators, which call lstrcmpiA for every pair. Both give
// lstrcmpiA's order: every pair of neighbours in it, equal texts by entry number, and the same order in full.
TEST(Collation, TextSortsEqualLstrcmpiOnALargeMixedCorpus)
{
    const size_t size = 6000;
    std::mt19937 random(1);
    std::vector<std::string> urls = Corpus(size, random), files = Corpus(size, random), headers = Corpus(size, random);
    TestListing listing;
    for (size_t i = 0; i < size; i++) {
        // Some strays without a URL, some headers absent or empty, few distinct access times.
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
            EXPECT_LT(HeapRequestCount(), 8);       // the rows, and a key block that doubles
            for (LONG row = 1; row < listing->count; row++) {
                const CacheEntry *a = EntryAt(listing.get(), row - 1), *b = EntryAt(listing.get(), row);
                auto text = [column](const CacheEntry* e) {
                    const char* t = column == 3 ? e->localFile : column == 13 ? e->headerText : e->url;
                    return t ? t : "";
                };
                int order = CompareFileTime(&a->lastAccess, &b->lastAccess);
                if (column != 5 || order == 0)
                    order = lstrcmpiA(text(a), text(b));
                ASSERT_TRUE((direction ? -order : order) < 0 || (order == 0 && a->entryNumber < b->entryNumber))
                    << "[" << text(a) << "] [" << text(b) << "]";
            }
            std::string sorted = Order(listing.get());
            SortListing(listing.get(), 0, 0);
            FailHeapAfter(0);
            SortListing(listing.get(), column, direction);
            FailHeapAfter(-1);
            EXPECT_TRUE(Order(listing.get()) == sorted);    // not EXPECT_EQ: 6,000 numbers
        }
    }
}

// Sizes round up to whole clusters in 64 bits (a cluster size of 0 counts nothing); a cookie is an entry of no
// bytes; Deleted rows count apart, Added ones also as added.
TEST(Summary, TotalsAndTheirTexts)
{
    const struct { const char* url; DWORD size; LONG status; } rows[] = {
        {"http://unchanged/", 1, 1}, {"http://empty/", 0, 1}, {"http://deleted/", 20, 0}, {"http://added/", 300, 7},
        {"http://hidden/", 4096, 8},                            // added unseen: not in "Amt added"
        {"Cookie:u@h/", 50000, 7},                              // one entry, no bytes
        {nullptr, 600000, 1}, {nullptr, 7000000, 7}, {nullptr, 80000000, 0},   // strays: kept, added, deleted
        {nullptr, 0xFFFFFFFF, 1}};                              // totals beyond 4 GiB
    TestListing listing;
    for (const auto& r : rows) {
        CacheEntry* e = AddEntry(listing.get(), r.url, "C:\\c\\s\\f");
        e->size = r.size, e->status = r.status, e->typeFlags = r.url && r.url[0] == 'C' ? 0x100001 : 1;
    }
    const struct { DWORD cluster; const char *sizes, *strays; } totals[] = {
        {4096, "CurSize: 4302581760   Amt added: 7004160   Amt Del'd: 80007168   NumEntries: 5   ClusterSize: 4096",
         "Size of strays: 4302569472   NumStrays: 3"},
        {1, "CurSize: 4302571692   Amt added: 7000300   Amt Del'd: 80000020   NumEntries: 5   ClusterSize: 1",
         "Size of strays: 4302567295   NumStrays: 3"},
        {0, "CurSize: 0   Amt added: 0   Amt Del'd: 0   NumEntries: 5   ClusterSize: 0",
         "Size of strays: 0   NumStrays: 3"}};
    for (const auto& t : totals) {
        listing->clusterSize = t.cluster;
        char sizes[SUMMARY_TEXT_BYTES], strays[SUMMARY_TEXT_BYTES];
        ListingSummary summary = SummarizeListing(listing.get());
        FormatListingSummary(&summary, sizes, strays);
        EXPECT_EQ(std::string(sizes) + " | " + strays, std::string(t.sizes) + " | " + t.strays);
    }
}

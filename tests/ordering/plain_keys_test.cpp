// Collation keys made from the learned table are the system's own, byte for byte.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include <windows.h>
#include "heap.h"
#include "listing_builder.h"
#include "ordering.h"
#include "plain_sort_keys.h"

namespace {

std::vector<BYTE> SystemKey(const std::string& text)
{
    int length = LCMapStringA(LOCALE_USER_DEFAULT, SORT_KEY_FLAGS, text.c_str(), -1, NULL, 0);
    std::vector<BYTE> key(length > 0 ? length : 0);
    LCMapStringA(LOCALE_USER_DEFAULT, SORT_KEY_FLAGS, text.c_str(), -1, (LPSTR)key.data(), length);
    return key;
}

std::vector<BYTE> TableKey(const std::string& text)
{
    std::vector<BYTE> key(PlainKeyLength(text.c_str()));
    if (!key.empty())
        WritePlainKey(text.c_str(), key.data());
    return key;
}

}  // namespace

TEST(PlainSortKeys, PrintableTextsGetTheSystemsKey)
{
    PreparePlainKeys();
    std::vector<std::string> texts = {
        "", "a", "Z", "http://www.example.com/en-us/index.htm?a=1&b=two", "O'Neil", "co-op", "coop", "--", "-a-",
        "it's-a--b'c", "C:\\Users\\x\\Content.IE5\\K3J9Q2XA\\logo[12].gif", "HTTP/1.1 200 OK  Content-Type: text/html",
        "~!@#$%^&*()_+`{}|[]:;\"<>,.?/ =", "0123456789", "Cookie:user@example.org/",
    };
    std::string printable;
    for (int c = 0x20; c <= 0x7E; c++)
        printable += (char)c;
    texts.push_back(printable);
    std::string longText(600, 'q');
    for (size_t at : {0, 255, 256, 300, 599})
        longText[at] = at % 2 ? '-' : '\'';
    texts.push_back(longText);

    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        std::vector<BYTE> key = TableKey(text);
        ASSERT_FALSE(key.empty());
        EXPECT_EQ(key, SystemKey(text));
    }
}

TEST(PlainSortKeys, TextsWithOtherCharactersAreLeftToTheSystem)
{
    PreparePlainKeys();
    for (const char* text : {"caf\xe9", "stra\xdf" "e", "\xe6on", "tab\there", "a\x01" "b", "\x7f", "\xa0"})
        EXPECT_EQ(PlainKeyLength(text), 0u) << text;
}

// Texts of plain characters only are sorted by the radix quicksort: the order is the
// comparator's (lstrcmpiA, then entry number), with shared beginnings, prefixes of
// each other, letter case, hyphens and apostrophes, empty and absent texts.
TEST(PlainSortKeys, RadixSortOfPlainTextsEqualsTheComparatorOrder)
{
    static const char* const pieces[] = {
        "http://", "www.", "example", "co-op", "coop", "co'op", "o'neil", "oneil", "-", "'", "--", " ", ".", "/",
        "?", "=", "&", "_", "~", "0", "1", "10", "9", "a", "A", "b", "z", "Z", "[1]", "\\",
    };
    DWORD state = 1;
    auto next = [&state](DWORD bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % bound;
    };
    TestListing listing;
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; i++) {
        std::string text;
        if (i % 25 == 24)
            text = texts[next((DWORD)texts.size())];        // the same text again
        else
            for (DWORD n = next(8); n > 0; n--)
                text += pieces[next(sizeof pieces / sizeof pieces[0])];
        texts.push_back(text);
        AddEntry(listing.get(), i % 40 == 7 ? nullptr : text.c_str(), nullptr, text.c_str());
    }
    for (LONG column : {1, 13}) {
        for (DWORD direction : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "column " << column << " direction " << direction);
            std::vector<CacheEntry*> expected;
            for (LONG row = 0; row < listing->count; row++)
                expected.push_back(EntryAt(listing.get(), row));
            SortDescending = direction;
            std::sort(expected.begin(), expected.end(), [column](CacheEntry* a, CacheEntry* b) {
                return EntryComparators[column](&a, &b) < 0;
            });
            SortListing(listing.get(), 0, 0);
            ResetHeapRequestCount();
            SortListing(listing.get(), column, direction);
            EXPECT_EQ(HeapRequestCount(), 1);
            for (LONG row = 0; row < listing->count; row++)
                ASSERT_EQ(EntryAt(listing.get(), row)->entryNumber, expected[row]->entryNumber) << row;
        }
    }
}

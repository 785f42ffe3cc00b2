// Sorting by every column, always from the same shuffled order: the text columns
// against a byte-order sort of the same texts, Last Access against a sort by time
// and then the URL's bytes, the others against a sort of the pointers by entry
// number.
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>
#include "bench.h"
#include "ordering.h"
#include "results.h"

namespace {

const char* const Captions[SORT_COLUMNS] = {
    "Entry #", "URL", "Status", "Local File", "Size", "Last Access", "Last Modified",
    "Last Sync'ed", "Flags", "HR", "UC", "Exempt", "Expire Time", "HTTP Response Header",
};

const char* Text(const CacheEntry* entry, int column)
{
    const char* text = column == 3 ? entry->localFile : column == 13 ? entry->headerText : entry->url;
    return text ? text : "";
}

// The floor of a column: its texts compared byte for byte (Last Access: the time
// first), or the entry number; reversed when descending, then the entry number.
struct PlainOrder {
    int column;
    bool descending;
    bool operator()(const void* first, const void* second) const
    {
        const CacheEntry* a = (const CacheEntry*)first;
        const CacheEntry* b = (const CacheEntry*)second;
        if (descending)
            std::swap(a, b);
        int order = 0;
        if (column == 5)
            order = CompareFileTime(&a->lastAccess, &b->lastAccess);
        if (order == 0 && (column == 1 || column == 3 || column == 5 || column == 13))
            order = strcmp(Text(a, column), Text(b, column));
        if (order != 0)
            return order < 0;
        return ((const CacheEntry*)first)->entryNumber < ((const CacheEntry*)second)->entryNumber;
    }
};

bool IsText(int column)
{
    return column == 1 || column == 3 || column == 13;
}

}  // namespace

void BenchSort(const Sample& sample)
{
    AddNote("Sorts start every time from the same shuffled order, restored inside the timing (a copy of the row "
            "pointers) for the sort and for its floor alike. Text columns are compared with std::sort of the "
            "same rows by strcmp of the same texts, Last Access with a sort by time and then strcmp of the URLs, "
            "the other columns with a sort of the pointers by entry number.");
    Listing listing = {};
    FillListing(&listing, sample.entries);
    // A listing after a merge: every status, and some equal keys.
    EntryMaker maker = NewEntryMaker(5000, "", "");
    for (LONG row = 0; row < listing.count; row++)
        EntryAt(&listing, row)->status = (LONG)Pick(&maker, 8);
    void** rows = listing.records->pointers;
    std::vector<void*> shuffled(rows, rows + listing.count);
    for (size_t i = shuffled.size(); i > 1; i--)
        std::swap(shuffled[i - 1], shuffled[Pick(&maker, (DWORD)i)]);
    auto restore = [&] { std::copy(shuffled.begin(), shuffled.end(), rows); };

    for (int column = 0; column < SORT_COLUMNS; column++) {
        bool textual = IsText(column) || column == 5;
        for (DWORD direction = 0; direction < (textual ? 2u : 1u); direction++) {
            PlainOrder plain = {textual ? column : 0, direction != 0};
            Timed sort = {nullptr, [&] { restore(); SortListing(&listing, column, direction); }, nullptr};
            Timed floor = {nullptr, [&] { restore(); std::sort(rows, rows + listing.count, plain); }, nullptr};
            Stats sortStats, floorStats;
            MeasurePair(sort, floor, &sortStats, &floorStats);
            std::string baseline = IsText(column) ? "byte-order sort of the same texts"
                                   : column == 5  ? "sort by time, then the URLs' bytes"
                                                  : "sort of the pointers by entry number";
            AddRow(TimedRow(std::string("SortListing by ") + Captions[column] +
                                (direction ? ", descending" : ", ascending"),
                            sample.label, listing.count, sortStats, baseline, floorStats,
                            IsText(column) ? TARGET_TEXT_SORT : NO_TARGET, 3.0));
        }
    }
    FreeListing(&listing);
}

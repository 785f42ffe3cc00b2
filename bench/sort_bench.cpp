// Sorting by every column in both directions, against sorting the same pointers by
// entry number, always from the same shuffled order.
#include <algorithm>
#include <string>
#include <vector>
#include "bench_groups.h"
#include "ordering.h"
#include "results.h"
#include "sample_listing.h"

static const char* const Captions[SORT_COLUMNS] = {
    "Entry #", "URL", "Status", "Local File", "Size", "Last Access", "Last Modified",
    "Last Sync'ed", "Flags", "HR", "UC", "Exempt", "Expire Time", "HTTP Response Header",
};

// The columns whose key is text (Last Access falls back to the URL among equal times).
static bool IsTextColumn(int column)
{
    return column == 1 || column == 3 || column == 5 || column == 13;
}

void BenchSort(int n)
{
    EntryMaker maker = NewEntryMaker(5000 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    std::vector<EntrySpec> entries = MakeEntries(&maker, n);
    // A listing after a merge: every status, and some equal keys.
    Listing listing = {};
    FillListing(&listing, entries);
    for (LONG row = 0; row < listing.count; row++)
        EntryAt(&listing, row)->status = (LONG)Pick(&maker, 8);

    void** rows = listing.records->pointers;
    std::vector<void*> shuffled(rows, rows + listing.count);
    for (size_t i = shuffled.size(); i > 1; i--)
        std::swap(shuffled[i - 1], shuffled[Pick(&maker, (DWORD)i)]);
    auto restore = [&] { std::copy(shuffled.begin(), shuffled.end(), rows); };

    Timed byNumber = {restore,
                      [&] {
                          std::sort(rows, rows + listing.count, [](void* a, void* b) {
                              return ((CacheEntry*)a)->entryNumber < ((CacheEntry*)b)->entryNumber;
                          });
                      },
                      nullptr};
    for (int column = 0; column < SORT_COLUMNS; column++) {
        for (DWORD direction = 0; direction < 2; direction++) {
            Timed sort = {restore, [&] { SortListing(&listing, column, direction); }, nullptr};
            Stats sortStats, numberStats;
            MeasurePair(BENCH_RUNS, sort, byNumber, &sortStats, &numberStats);
            std::string operation = std::string("SortListing by ") + Captions[column] +
                                    (direction ? ", descending" : ", ascending");
            ResultRow row = TimedRow(operation, n, sortStats, "std::sort of the pointers by entry number",
                                     numberStats);
            if (IsTextColumn(column)) {
                double ratio = sortStats.median / numberStats.median;
                bool met = ratio <= 10.0 && (n < 100000 || sortStats.median < 1000.0);
                Judge(&row, n >= 100000 ? "≤ 10× and < 1 s" : "≤ 10×", met);
            }
            AddRow(row);
        }
    }
    FreeListing(&listing);
}

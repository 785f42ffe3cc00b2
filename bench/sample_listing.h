// The samples every group measures: made-up entries of a given count, or the
// entries of the real seeded cache; listings filled in memory from them as a
// cache scan would fill them, and the scans that follow them with a mix of changes.
#ifndef BRINDLEWICK_BENCH_SAMPLE_LISTING_H
#define BRINDLEWICK_BENCH_SAMPLE_LISTING_H

#include <string>
#include <vector>
#include "listing.h"
#include "sample_entries.h"

// Where the made-up caches of the in-memory listings live.
const char* const SAMPLE_CACHE_FOLDER = "C:\\users\\bench\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.IE5\\";
const char* const SAMPLE_COOKIE_FOLDER = "C:\\users\\bench\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\";

// The entries one size of measurements runs on.
struct Sample {
    std::string label;          // "10,000", or "60,000 (real cache)"
    bool real = false;          // read from the prefix's seeded cache
    int seeded = 0;             // of a real sample, the count the cache was seeded with
    std::vector<EntrySpec> entries;
    EntryMaker maker;           // for entries that following scans add or move
};

// `count` made-up entries, made by the maker for that count.
Sample MadeUpSample(int count);
EntryMaker MadeUpMaker(int count);
// The entries ScanCache finds in the prefix's cache (cookies included), labelled
// with the size the cache was seeded with.
Sample RealSample(int seeded);
// The label of a size: "10,000".
std::string SizeLabel(int count);

// Appends one record made from the entry, as a producer does; false when memory ran out.
bool AppendEntry(Listing* listing, const EntrySpec& spec);
// Fills a freed or never filled listing with one record per entry, in order, the
// way a producer does: records and strings carved from the listing's pools, header
// texts flattened and cut. Gives false when memory ran out.
bool FillListing(Listing* listing, const std::vector<EntrySpec>& entries);
// Builds both indexes of a freshly filled listing.
void BuildIndexes(Listing* listing);

// What a following scan finds changed, in tenths of a percent of the earlier entries.
struct ChangeMix {
    int deleted;        // gone from the cache
    int revisited;      // a later last access time and one more hit
    int moved;          // the same URL in a new local file
    int added;          // new entries, in tenths of a percent of the earlier count
};

// The entries of a scan that follows `earlier`. WinINet enumerates its entries in
// the same order from scan to scan: the entries that stay keep their order, and
// new ones come in between at random places.
std::vector<EntrySpec> FollowingScan(EntryMaker* maker, const std::vector<EntrySpec>& earlier, const ChangeMix& mix);

// The entries with every `every`-th one (cookies aside) without a local file: an
// empty text, as a scan lists a cache entry that has none.
std::vector<EntrySpec> SomeWithoutFiles(std::vector<EntrySpec> entries, int every);

// Bytes of a listing's records and of the strings they point to (each with its NUL).
double PayloadBytes(const Listing* listing);

#endif

// Listings filled in memory from made-up entries, as a cache scan would fill them,
// and the scans that follow them with a given mix of changes.
#ifndef BRINDLEWICK_BENCH_SAMPLE_LISTING_H
#define BRINDLEWICK_BENCH_SAMPLE_LISTING_H

#include <vector>
#include "listing.h"
#include "sample_entries.h"

// Where the made-up caches of the in-memory listings live.
const char* const SAMPLE_CACHE_FOLDER = "C:\\users\\bench\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.IE5\\";
const char* const SAMPLE_COOKIE_FOLDER = "C:\\users\\bench\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\";

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

// The entries of a scan that follows `earlier`, in an enumeration order of its own.
std::vector<EntrySpec> FollowingScan(EntryMaker* maker, const std::vector<EntrySpec>& earlier, const ChangeMix& mix);
// Puts entries into a fresh pseudo-random order.
void Shuffle(std::vector<EntrySpec>* entries, DWORD seed);

// Bytes of a listing's records and of the strings they point to (each with its NUL).
double PayloadBytes(const Listing* listing);

#endif

// The response header of an entry exactly as its source holds it, CR LF and all:
// the listing shows only a flattened cut of it.
#ifndef BRINDLEWICK_ENTRY_HEADER_H
#define BRINDLEWICK_ENTRY_HEADER_H

#include "listing.h"

// One buffer for the headers fetched from the cache, kept from entry to entry.
struct HeaderFetch {
    BYTE* buffer;
    DWORD capacity;
};

// The entry's whole header and its length without the NUL: the one a backup file
// held (kept with the entry), or for an entry of the cache the one the cache holds
// now, fetched by its URL into `fetch`; the listing's flattened text when neither
// can be had (the entry left the cache, or memory ran out); null for none.
const char* WholeHeader(HeaderFetch* fetch, const CacheEntry* entry, DWORD* length);
void ReleaseHeaderFetch(HeaderFetch* fetch);

#endif

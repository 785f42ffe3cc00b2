// What every filled scan needs before it is merged or shown: both indexes and,
// when they are included, the stray files of the cache folders.
#ifndef BRINDLEWICK_SCAN_INDEXES_H
#define BRINDLEWICK_SCAN_INDEXES_H

#include <windows.h>
#include "listing.h"

// Builds the listing's indexes by local file and by URL, then adds the strays
// when `includeStrays` is set. The thread that filled the listing may do it.
void IndexScan(Listing* listing, BOOL includeStrays);
// Whether IndexScan has been done since the listing was filled.
BOOL ScanIndexed(const Listing* listing);

#endif

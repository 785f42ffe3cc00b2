// Taking in a cache backup file that the worker read, as a new listing or as the
// next scan.
#ifndef BRINDLEWICK_BACKUP_LOAD_H
#define BRINDLEWICK_BACKUP_LOAD_H

#include <windows.h>
#include "listing.h"

// Takes the listing read from `path` into the main listing (`asNewListing`, all
// of its rows shown) or into the scan listing. Gives TRUE when it did; FALSE when
// the file could not be read whole (the user has been told) or the load was
// stopped: the listing on screen is then as it was, and `loaded` freed.
BOOL TakeLoadedListing(HWND window, Listing* loaded, const char* path, BOOL asNewListing);

#endif

// Folding a fresh scan into the main listing, and marking rows of switched-off kinds.
#ifndef BRINDLEWICK_MERGE_H
#define BRINDLEWICK_MERGE_H

#include "listing.h"

// Gives every main entry its status against the scan and appends the new ones.
// New entries with a URL are marked Added while hidden (status 8) when
// `cookiesJustIncluded`, new entries without one when `straysJustIncluded`: the
// include option of their kind was switched on since the last merge. Gives 0, or 8
// when memory ran out. On 0 no string of the main listing lies in the scan
// listing's pools.
// With `compareBackup`, a main entry read from a backup file (no local file) that
// a scan entry finds by URL is classified as if found by local file (Updated,
// Revisited, Changed or unchanged) and takes the scan entry's local file, so that
// a merge into a loaded backup file says what changed since it was made; it takes
// the scan entry's header and size as well, whatever its status.
// The scan's times are compared and taken in the main listing's clock.
DWORD MergeEntries(Listing* main, const Listing* scan, BOOL straysJustIncluded, BOOL cookiesJustIncluded,
                   BOOL compareBackup = FALSE);
// Every entry without a URL (a stray) becomes Deleted.
void MarkStraysDeleted(Listing* listing);
// Every entry with the cookie bit in its type flags becomes Deleted.
void MarkCookiesDeleted(Listing* listing);

#endif

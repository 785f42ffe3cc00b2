// Searching the rows on screen for a text in their URL, local file and header.
#ifndef BRINDLEWICK_FIND_TEXT_H
#define BRINDLEWICK_FIND_TEXT_H

#include <windows.h>
#include "listing.h"

// Characters the Find dialog takes, with room for the NUL.
const int FIND_TEXT_BYTES = 256;

struct FindRequest {
    char text[FIND_TEXT_BYTES];
    BOOL matchCase;
};

// Whether the entry's URL, local file or header text holds the text; an empty
// text matches nothing.
BOOL EntryMatches(const CacheEntry* entry, const FindRequest* request);
// The first row after `from` (before it, backwards) whose entry matches, in the
// rows' order on screen, wrapping around and ending with `from` itself; -1 when
// none matches. With `from` -1 the search starts at the first (last) row.
LONG FindRow(const FindRequest* request, LONG from, BOOL forward);

#endif

// Which entries are shown and written: every one, the changed ones, those whose
// URL, local file or header holds the filter's words, or both at once.
//
// The filter text is words separated by blanks; every word must be in one of the
// three texts, a word starting with '-' must be in none of them. Case is ignored
// as Find ignores it. The record holds no pointers, so that it can be copied and
// handed to another thread.
#ifndef BRINDLEWICK_ROW_FILTER_H
#define BRINDLEWICK_ROW_FILTER_H

#include <windows.h>
#include "listing.h"

// Characters of a filter text, with room for the NUL.
const int FILTER_TEXT_BYTES = 256;

struct RowFilter {
    BOOL changedOnly;                   // only entries whose status is not unchanged
    char words[FILTER_TEXT_BYTES];      // the words, each ended by a NUL, '-' removed
    BYTE wordStart[FILTER_TEXT_BYTES / 2];
    BYTE excluded[FILTER_TEXT_BYTES / 2];
    int wordCount;
};

// Takes the words of `text` (a longer text is cut); the changed-only rule stays.
void SetFilterText(RowFilter* filter, const char* text);
// Whether the filter leaves any entry out; a null filter leaves none out.
BOOL FilterNarrows(const RowFilter* filter);
// Whether the entry passes; with a null filter every entry does.
BOOL EntryShown(const CacheEntry* entry, const RowFilter* filter);

#endif

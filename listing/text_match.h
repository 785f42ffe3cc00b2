// Finding a text inside an entry's texts, as Find and the filter do: a plain
// substring, with or without case through the ANSI code page's lower case.
#ifndef BRINDLEWICK_TEXT_MATCH_H
#define BRINDLEWICK_TEXT_MATCH_H

#include <windows.h>
#include "listing.h"

// Whether `text` holds `wanted`; a null text holds nothing, an empty `wanted` is
// in every text.
BOOL TextHolds(const char* text, const char* wanted, BOOL matchCase);
// Whether the entry's URL, local file or header text holds `wanted`.
BOOL EntryHoldsText(const CacheEntry* entry, const char* wanted, BOOL matchCase);

#endif

// The listing as JSON Lines, for programs: one object per entry and line.
#ifndef BRINDLEWICK_JSON_LINES_H
#define BRINDLEWICK_JSON_LINES_H

#include "row_filter.h"
#include "listing.h"
#include "safe_file.h"

// One entry as one JSON object (RFC 8259) and a LF, in UTF-8: every column under
// its key of listing/columns.h, in the table's order. Numbers are JSON numbers,
// signed or unsigned as the column's kind says (the flags too); the status is its
// whole word ("" for unchanged); texts are converted from the system's code page
// to UTF-8, with quotes, backslashes and control characters (as \u00XX) escaped;
// times are ISO 8601 in UTC ("2026-07-15T12:00:00Z"), converted back with the
// listing's clock `zone`. A missing text or time is null. With `archiveTime`
// (UTC), "archiveTime" leads, for the rows of a history of archives.
void PutJsonLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone, const FILETIME* archiveTime);
// Puts a line per entry in the listing's order (with a filter, per entry
// it shows). Gives 0 or the first failure.
DWORD WriteListingJsonLines(SafeFile* file, const Listing* listing, const RowFilter* shown);

#endif

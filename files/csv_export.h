// The listing as comma-separated values, for spreadsheets and scripts.
#ifndef BRINDLEWICK_CSV_EXPORT_H
#define BRINDLEWICK_CSV_EXPORT_H

#include "row_filter.h"
#include "listing.h"
#include "safe_file.h"

// Puts the listing in its current order as CSV (RFC 4180: commas, CR LF, fields
// with a comma, quote, CR or LF quoted with their quotes doubled) in UTF-8 after a
// byte-order mark: a header line of the column captions, then one line per entry (with
// a filter, per entry it shows). Every time column of
// the list becomes two, UTC ("2026-07-15T12:00:00Z") and the zone's local time of
// that date with that date's offset ("2026-07-15T14:00:00+02:00"), both empty
// where the list shows "None";
// numbers as the list shows them, the flags as "0x" and eight upper-case hex
// digits. Gives 0 or the first failure.
DWORD WriteListingCsv(SafeFile* file, const Listing* listing, const RowFilter* shown);
// The byte-order mark and the header line of captions; with `archiveTime`, two
// columns "Archive Time (UTC)" and "Archive Time (local)" lead, for the rows of a
// history of archives.
void PutCsvHeader(SafeFile* file, BOOL archiveTime);
// One entry's line, its times converted back to UTC with the listing's clock
// `zone`; with `archiveTime` (UTC), that moment leads in UTC and local time.
void PutCsvLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone, const FILETIME* archiveTime);
// Writes the CSV of every entry the filter shows (of all with none) to `path`, in place of what was there only when
// all of it was written. Gives 0 or the Win32 code of the failure.
DWORD ExportListingCsv(const char* path, const Listing* listing, const RowFilter* shown);

#endif

// The fixed-width text report of a listing.
#ifndef BRINDLEWICK_TEXT_REPORT_H
#define BRINDLEWICK_TEXT_REPORT_H

#include "row_filter.h"
#include "listing.h"
#include "safe_file.h"

// Puts the report in the listing's current order: two header lines, then one line
// per entry (with a filter, per entry it shows), every
// line ending in CR LF. Gives 0 or the first failure.
DWORD WriteListingText(SafeFile* file, const Listing* listing, const RowFilter* shown);
// Writes the report of every entry to `path`, in place of what was there only
// when all of it was written. Gives 0 or the Win32 code of the failure; the file
// that was there before is then untouched.
DWORD ExportListingText(const char* path, const Listing* listing);

#endif

// The fixed-width text report of a listing.
#ifndef BRINDLEWICK_TEXT_REPORT_H
#define BRINDLEWICK_TEXT_REPORT_H

#include "listing.h"
#include "safe_file.h"

// Puts the report in the listing's current order: two header lines, then one line
// per entry (with `changedOnly`, per entry whose status is not unchanged), every
// line ending in CR LF. Gives 0 or the first failure.
DWORD WriteListingText(SafeFile* file, const Listing* listing, BOOL changedOnly);
// Writes the report of every entry to `path`, in place of what was there only
// when all of it was written. Gives 0 or the Win32 code of the failure; the file
// that was there before is then untouched.
DWORD ExportListingText(const char* path, const Listing* listing);

#endif

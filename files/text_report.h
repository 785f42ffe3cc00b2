// The fixed-width text report of a listing.
#ifndef BRINDLEWICK_TEXT_REPORT_H
#define BRINDLEWICK_TEXT_REPORT_H

#include "listing.h"

// Writes the report in the listing's current order: two header lines, then one
// line per entry, every line ending in CR LF. Gives 0, or the Win32 code of the
// failure to create the file or of the first write that failed; a failed header
// write does not stop the report, a failed write of entry lines (which go out in
// pieces of up to 64 KiB of whole lines) ends it.
DWORD ExportListingText(const char* path, const Listing* listing);

#endif

// The fixed-width text report of a listing.
#ifndef BRINDLEWICK_TEXT_REPORT_H
#define BRINDLEWICK_TEXT_REPORT_H

#include "listing.h"

// Writes the report in the listing's current order. Gives 0, or the Win32 code of
// the failure to create or write the file.
DWORD ExportListingText(const char* path, const Listing* listing);

#endif

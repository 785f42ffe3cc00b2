// The totals of a listing that the status bar shows, and their two texts.
#ifndef BRINDLEWICK_SUMMARY_H
#define BRINDLEWICK_SUMMARY_H

#include "listing.h"

// Byte totals of a cache beyond 4 GiB do not fit 32 bits, so every counter has 64.
struct ListingSummary {
    ULONGLONG currentSize;      // sizes on disk of the rows not Deleted
    ULONGLONG amountAdded;      // of those, the rows Added by the last merge
    ULONGLONG amountDeleted;    // sizes on disk of the Deleted rows
    ULONGLONG entryCount;       // rows not Deleted that have a URL
    ULONGLONG clusterSize;      // the listing's clusterSize
    ULONGLONG straySize;        // sizes on disk of the strays not Deleted
    ULONGLONG strayCount;       // strays not Deleted
};

// Room for either text, NUL included.
const DWORD SUMMARY_TEXT_BYTES = 512;

// Totals every row: sizes rounded up to whole clusters, cookies counted as no bytes.
ListingSummary SummarizeListing(const Listing* listing);
// The sizes text (status bar part 0) and the strays text (part 1), each written into
// SUMMARY_TEXT_BYTES bytes.
void FormatListingSummary(const ListingSummary* summary, char* sizesText, char* straysText);

#endif

#include <stdio.h>
#include "summary.h"
#include "entry_status.h"

// The bytes a row takes on disk: its size rounded up to the cluster size (a power of
// two; with 0 the mask clears everything), and nothing for a cookie. Rounded in 64
// bits, so that a size just below 4 GiB does not wrap to 0.
static ULONGLONG CountedSize(const CacheEntry* entry, DWORD clusterSize)
{
    if (entry->typeFlags & COOKIE_ENTRY_BIT)
        return 0;
    ULONGLONG mask = (ULONGLONG)clusterSize - 1;
    return ((ULONGLONG)entry->size + mask) & ~mask;
}

ListingSummary SummarizeListing(const Listing* listing)
{
    ListingSummary summary = {};
    summary.clusterSize = listing->clusterSize;
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (!entry)
            break;
        ULONGLONG size = CountedSize(entry, listing->clusterSize);
        if (entry->status == STATUS_DELETED) {
            summary.amountDeleted += size;
            continue;
        }
        summary.currentSize += size;
        if (entry->status == STATUS_ADDED)
            summary.amountAdded += size;
        if (entry->url) {
            summary.entryCount++;
        } else {
            summary.straySize += size;
            summary.strayCount++;
        }
    }
    return summary;
}

void FormatListingSummary(const ListingSummary* summary, char* sizesText, char* straysText)
{
    snprintf(sizesText, SUMMARY_TEXT_BYTES,
             "CurSize: %llu   Amt added: %llu   Amt Del'd: %llu   NumEntries: %llu   ClusterSize: %llu",
             (unsigned long long)summary->currentSize, (unsigned long long)summary->amountAdded,
             (unsigned long long)summary->amountDeleted, (unsigned long long)summary->entryCount,
             (unsigned long long)summary->clusterSize);
    snprintf(straysText, SUMMARY_TEXT_BYTES, "Size of strays: %llu   NumStrays: %llu",
             (unsigned long long)summary->straySize, (unsigned long long)summary->strayCount);
}

#include "scan_indexes.h"
#include "entry_index.h"
#include "strays.h"

void IndexScan(Listing* listing, BOOL includeStrays)
{
    BuildIndex(&listing->byLocalFile, listing);
    BuildIndex(&listing->byUrl, listing);
    if (includeStrays)
        ScanStrays(listing);
}

BOOL ScanIndexed(const Listing* listing)
{
    return listing->byUrl.slots != NULL;
}

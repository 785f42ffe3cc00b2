#ifndef BRINDLEWICK_COMPACTION_H
#define BRINDLEWICK_COMPACTION_H

#include "listing.h"

// Rebuilds the listing with only its live (not Deleted) entries, in order, in
// fresh pools sized to fit, with both indexes built. Gives 0, or 8 with the
// listing exactly as it was.
DWORD CompactListing(Listing* listing);

#endif

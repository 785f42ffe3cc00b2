// Saving the cached files of a listing's entries in a folder as a tree of their
// sites, each under the path made from its URL (site_names.h): never outside the
// folder, never over a file that is there.
#ifndef BRINDLEWICK_SITE_TREE_H
#define BRINDLEWICK_SITE_TREE_H

#include "backup_writer.h"
#include "listing.h"
#include "row_filter.h"

const int SITE_URL_BYTES = 300;

struct SiteTreeOutcome {
    LONG saved;
    LONG skipped;                   // no URL or local file (a stray, Deleted, from a backup file), or the file gone
    LONG failed;
    DWORD firstError;               // the first failure's code, 0 when none failed
    char firstUrl[SITE_URL_BYTES];  // and its entry's URL, cut to fit
};

// Saves the cached file of every entry the filter shows (of every one with a null
// filter), in the listing's order, as the folder's path, a backslash and the
// entry's site path, through the safe writer. A name that is taken, by a file
// there before or saved earlier in this run, is numbered before its extension
// ("name (2).htm", "name (3).htm", ...), as is a folder of the path whose name
// a file has. The folder itself is made when it is missing, its parents are not.
// Gives 0, ERROR_CANCELLED when `progress` cancelled (between two entries; what
// was saved stays, and is counted), or the code of a failure of the folder itself.
DWORD SaveSiteTree(const char* folder, const Listing* listing, const RowFilter* shown, const SaveProgress* progress,
                   SiteTreeOutcome* outcome);

#endif

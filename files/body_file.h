// The listing in the Sleuth Kit's body format, for timeline tools such as mactime.
#ifndef BRINDLEWICK_BODY_FILE_H
#define BRINDLEWICK_BODY_FILE_H

#include "row_filter.h"
#include "listing.h"
#include "safe_file.h"

// One entry as a line "MD5|name|inode|mode|UID|GID|size|atime|mtime|ctime|crtime"
// and a LF, in UTF-8: MD5, mode, UID, GID and crtime 0; the name is the URL (a
// stray's local file) followed by " (Status)" for a status that is not unchanged,
// with '%', '|' and control characters written as %XX, which mactime turns back;
// the inode is the entry number; the size the entry's; atime, mtime and ctime are
// Last Access, Last Modified and Last Sync'ed in seconds since 1970 in UTC,
// converted back with the listing's clock `zone`, 0 for none (or before 1970).
void PutBodyLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone);
// Puts a line per entry in the listing's order (with a filter, per entry
// it shows). Gives 0 or the first failure.
DWORD WriteListingBodyFile(SafeFile* file, const Listing* listing, const RowFilter* shown);

#endif

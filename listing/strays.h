// Files in the cache's subfolders that no entry of the listing names.
#ifndef BRINDLEWICK_STRAYS_H
#define BRINDLEWICK_STRAYS_H

#include "listing.h"

// Bytes of the one path buffer a stray scan works in.
const DWORD STRAY_PATH_BUFFER = 1024;

// Adds the strays of every subfolder of the cache folder; the outcome is in the
// listing's error. The cache folder lies two levels above the local file of the
// first row that is not a cookie; a text without one scans nothing. Subfolders and
// files whose paths would not fit the path buffer are passed over.
void ScanStrays(Listing* listing);
// Adds the strays of one folder, building the listing's byLocalFile index first when
// it has no slots. `folderPath` lies at the start of a buffer of STRAY_PATH_BUFFER
// bytes, without a trailing backslash, and is extended in place. Gives 0, 8, the
// code of a folder that cannot be listed, or ERROR_FILENAME_EXCED_RANGE when the
// path leaves no room for a name.
DWORD ScanStrayFolder(Listing* listing, char* folderPath);

#endif

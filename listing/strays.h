// Files in the cache's subfolders that no entry of the listing names.
#ifndef BRINDLEWICK_STRAYS_H
#define BRINDLEWICK_STRAYS_H

#include "listing.h"

// Bytes of the one path buffer a stray scan works in.
const DWORD STRAY_PATH_BUFFER = 1024;

// Adds the strays of every subfolder of the cache folder; the outcome is in the
// listing's error. Needs the listing's byLocalFile index built.
void ScanStrays(Listing* listing);
// Adds the strays of one folder. `folderPath` lies at the start of a buffer of
// STRAY_PATH_BUFFER bytes, without a trailing backslash, and is extended in place.
// Gives 0, 8, or the code of a folder that cannot be listed.
DWORD ScanStrayFolder(Listing* listing, char* folderPath);

#endif

// Filling a listing from the WinINet URL cache, and the one-time cluster measurement.
#ifndef BRINDLEWICK_CACHE_SCAN_H
#define BRINDLEWICK_CACHE_SCAN_H

#include "listing.h"

const DWORD SCAN_BUFFER_START = 4096;

// Fills an empty listing with the cache's entries in enumeration order. History
// entries are left out, cookies too unless includeCookies is set. On return
// `error` is 0, 8 (the listing then freed), or the code of an enumeration that
// failed before its normal end (the entries read so far kept).
Listing* ScanCache(Listing* listing);

// Bytes per allocation unit of the drive, or 0 when it cannot tell.
DWORD MeasureClusterSize(char driveLetter);
// The measurement for a volume whose file-system name and flags are known.
DWORD ClusterSizeForVolume(const char* root, const char* fileSystem, DWORD fileSystemFlags);

#endif

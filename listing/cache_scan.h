// Filling a listing from the WinINet URL cache, and the one-time cluster measurement.
#ifndef BRINDLEWICK_CACHE_SCAN_H
#define BRINDLEWICK_CACHE_SCAN_H

#include "listing.h"
#include <wininet.h>

const DWORD SCAN_BUFFER_START = 4096;

// GetDiskFreeSpaceExA, which not every system has: the caller looks it up and
// passes it, or null.
typedef BOOL (WINAPI *FreeSpaceQuery)(LPCSTR root, PULARGE_INTEGER availableToCaller,
                                      PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes);

// Fills an empty listing with the cache's entries in enumeration order. History
// entries are left out, cookies too unless `includeCookies` is set. A listing whose
// clusterSize is 0 gets it measured on the first entry that is not a cookie, with
// `freeSpace` when the volume needs it. Gives the listing's `error`: 0, 8 (the
// listing then freed), or the code of an enumeration that failed before its
// normal end, or ERROR_CANCELLED when `progress` asked it to stop (the entries
// read so far kept either way). `progress`, when given, hears of the entries read
// as the scan goes on.
DWORD ScanCache(Listing* listing, BOOL includeCookies, FreeSpaceQuery freeSpace,
                const FillProgress* progress = NULL);

// Test seam: the call that reads the next entry of the enumeration, so that a test
// can hold a scan part-way.
typedef BOOL (WINAPI *NextCacheEntryCall)(HANDLE enumeration, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size);
extern NextCacheEntryCall NextCacheEntry;

// Bytes per allocation unit of the drive, or 0 when it cannot tell.
DWORD MeasureClusterSize(char driveLetter, FreeSpaceQuery freeSpace);
// The measurement for a volume whose file-system name and flags are known.
DWORD ClusterSizeForVolume(const char* root, const char* fileSystem, DWORD fileSystemFlags, FreeSpaceQuery freeSpace);

#endif

// "Compare with Backup File...": what changed in the cache since a backup file
// was made.
#ifndef BRINDLEWICK_COMPARE_BACKUP_H
#define BRINDLEWICK_COMPARE_BACKUP_H

#include <windows.h>

// Loads the chosen file as a new listing (the listing on screen is replaced only
// when the whole file was read), scans the cache and merges the scan into it. An
// entry of the file found again by URL is classified as a rescan classifies an
// entry found by its local file: Updated, Rvst'd, Chnged or unchanged.
void CompareWithBackupFile(HWND window);

#endif

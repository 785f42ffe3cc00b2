// Folding the scan listing into the listing on screen: the rescan flow shared by
// "Scan Cache" and "Load as a Subsequent Scan".
#ifndef BRINDLEWICK_MERGE_SCAN_H
#define BRINDLEWICK_MERGE_SCAN_H

#include <windows.h>

// Merges the freshly filled scan listing into the main listing, shows every row's
// new status and frees the scan listing. A scan that reported an error is not
// merged: the user is told (unless it was stopped) and the main listing stays as
// it was. With
// `compareBackup`, entries of a loaded backup file found again by URL are
// classified as entries found by their local file are.
void MergeScan(HWND window, BOOL compareBackup = FALSE);

#endif

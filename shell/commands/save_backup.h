// "Save Cache Backup...": the main listing with its cached files as a backup file.
#ifndef BRINDLEWICK_SAVE_BACKUP_H
#define BRINDLEWICK_SAVE_BACKUP_H

#include <windows.h>

// Asks where to save, writes with a progress dialog that can cancel, and tells
// the user of a failure or of entries saved without their complete file.
void SaveCacheBackup(HWND window);

#endif

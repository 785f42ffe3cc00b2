// Loading a cache backup file, as a new listing or as the next scan.
#ifndef BRINDLEWICK_BACKUP_LOAD_H
#define BRINDLEWICK_BACKUP_LOAD_H

#include <windows.h>

// Asks for a backup file and reads it into the main listing (`asNewListing`) or
// into the scan listing. Gives 0 when it was read; non-zero when the command is to
// end: the dialog was cancelled, or the file could not be read (the user has been
// told, and the listing on screen is as it was).
DWORD PromptAndLoadBackup(HWND window, BOOL asNewListing);
// "Load as a New Listing": the file's entries replace the whole list. Gives 0
// when they did, as PromptAndLoadBackup.
DWORD LoadNewListing(HWND window);

#endif

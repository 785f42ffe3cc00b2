// Saving a copy of a row's cached file where the user chooses.
#ifndef BRINDLEWICK_SAVE_CACHED_FILE_H
#define BRINDLEWICK_SAVE_CACHED_FILE_H

#include <windows.h>

// Asks where to save a copy of the cached file (the dialog starts with its file
// name) and copies it there; says so when the cache no longer holds the file or
// the copy fails.
void SaveCachedFileAs(HWND window, const char* source);
// The part of the path after its last backslash.
const char* FileNamePart(const char* path);

#endif

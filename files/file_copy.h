// A copy of a file made through the safe writer.
#ifndef BRINDLEWICK_FILE_COPY_H
#define BRINDLEWICK_FILE_COPY_H

#include <windows.h>
#include "safe_file.h"

// Opens a cached file for reading front to back, shared with whoever writes or
// deletes it meanwhile; INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE OpenCachedFile(const char* path);
// Puts every byte left in `input` into the safe file, read in pieces of
// SAFE_FILE_BUFFER bytes into `piece`. Gives 0 or the first failure.
DWORD PutFileContent(SafeFile* file, HANDLE input, BYTE* piece);

// Copies the bytes of `source` to `target`, which takes the copy's place only when
// all of it was read and written. Gives 0 or the Win32 code of the failure; the
// file that was at `target` is then untouched.
DWORD CopyFileSafely(const char* source, const char* target);

#endif

// A copy of a file made through the safe writer.
#ifndef BRINDLEWICK_FILE_COPY_H
#define BRINDLEWICK_FILE_COPY_H

#include <windows.h>

// Copies the bytes of `source` to `target`, which takes the copy's place only when
// all of it was read and written. Gives 0 or the Win32 code of the failure; the
// file that was at `target` is then untouched.
DWORD CopyFileSafely(const char* source, const char* target);

#endif

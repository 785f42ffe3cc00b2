// Writing a file so that a failure never destroys what was there: the bytes go to
// a temporary file beside the target, which takes the target's place only when
// every byte has been written and the file closed. Every writer of the program
// goes through here.
#ifndef BRINDLEWICK_SAFE_FILE_H
#define BRINDLEWICK_SAFE_FILE_H

#include <windows.h>

// Bytes gathered before a write call: a call costs about as much as formatting a
// report line.
const DWORD SAFE_FILE_BUFFER = 64 * 1024;
// Room for the target's path, and for the temporary file's path with its suffix.
const DWORD SAFE_PATH_BYTES = 600;

// One file being written. It lives on the caller's stack from OpenSafeFile (or
// OpenDirectOutput) to CommitSafeFile or DiscardSafeFile.
struct SafeFile {
    HANDLE handle;          // the temporary file, or the caller's handle
    BOOL direct;            // writing straight to the caller's handle: nothing to put in place
    UINT consoleCodePage;   // the handle is a console: the bytes' code page, written as UTF-16; else 0
    DWORD error;            // the first failure; once set, nothing more is written
    DWORD pending;          // bytes of buffer not written yet
    ULONGLONG position;     // bytes put so far, pending ones included
    char target[SAFE_PATH_BYTES];
    char temporary[SAFE_PATH_BYTES];
    BYTE buffer[SAFE_FILE_BUFFER];
};

// Creates the temporary file in the target's folder. Gives 0 or the system's
// code; a target that could not be replaced at the end (read-only, or held open
// by another program) is refused now, before any work is done.
DWORD OpenSafeFile(SafeFile* file, const char* target);
// As OpenSafeFile, for a file committed with CommitNewSafeFile: whatever has the
// target's name now is no hindrance, as the file will not replace it.
DWORD OpenNewSafeFile(SafeFile* file, const char* target);
// Writes go straight to `handle` (standard output), which stays open at the end:
// the exact bytes to a file or pipe; to a console, the text in `codePage` (CP_ACP,
// CP_UTF8) as the characters it stands for, whatever the console's code page.
void OpenDirectOutput(SafeFile* file, HANDLE handle, UINT codePage);
// Appends bytes. Gives 0, or the first failure, which sticks.
DWORD PutSafeBytes(SafeFile* file, const void* bytes, DWORD count);
// Overwrites four bytes put earlier at `offset`, for a count known only after
// what follows it was written. Not for direct output.
DWORD PatchSafeDword(SafeFile* file, ULONGLONG offset, DWORD value);
// Writes what is gathered, then closes the temporary file and moves it over the
// target. Gives 0, or the failure: the temporary file is then gone and the target
// as it was.
DWORD CommitSafeFile(SafeFile* file);
// As CommitSafeFile, for a file that must never replace another: the temporary
// file takes the name `target` (in the folder it was opened for) only when no file
// or folder has it. When one has, gives ERROR_ALREADY_EXISTS (or ERROR_FILE_EXISTS)
// and keeps the temporary file, to be committed under another name or discarded;
// on any other failure it is gone.
DWORD CommitNewSafeFile(SafeFile* file, const char* target);
// Closes and deletes the temporary file; the target stays as it was.
void DiscardSafeFile(SafeFile* file);

// The code of a system call that just failed; never 0, so that a failure cannot
// pass for success.
DWORD FailedCallCode(DWORD fallback);

// Test seam: the write call of every safe file, so that a test can make a write
// fail part-way as on a full disk.
typedef BOOL (WINAPI *SafeFileWriteCall)(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                                         LPOVERLAPPED overlapped);
extern SafeFileWriteCall SafeFileWrite;

#endif

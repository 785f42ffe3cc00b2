#include "file_copy.h"
#include "safe_file.h"

DWORD CopyFileSafely(const char* source, const char* target)
{
    HANDLE input = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (input == INVALID_HANDLE_VALUE)
        return FailedCallCode(ERROR_FILE_NOT_FOUND);
    SafeFile* file = (SafeFile*)HeapAlloc(GetProcessHeap(), 0, sizeof(SafeFile));
    DWORD error = file ? OpenSafeFile(file, target) : ERROR_NOT_ENOUGH_MEMORY;
    BYTE piece[SAFE_FILE_BUFFER];
    while (error == 0) {
        DWORD got = 0;
        if (!ReadFile(input, piece, sizeof piece, &got, NULL))
            error = FailedCallCode(ERROR_READ_FAULT);
        else if (got == 0)
            break;
        else
            error = PutSafeBytes(file, piece, got);
    }
    if (error == 0)
        error = CommitSafeFile(file);
    else if (file)
        DiscardSafeFile(file);  // nothing to discard when it could not be opened
    CloseHandle(input);
    if (file)
        HeapFree(GetProcessHeap(), 0, file);
    return error;
}

#include "file_copy.h"

HANDLE OpenCachedFile(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

DWORD PutFileContent(SafeFile* file, HANDLE input, BYTE* piece)
{
    DWORD error = file->error;
    while (error == 0) {
        DWORD got = 0;
        if (!ReadFile(input, piece, SAFE_FILE_BUFFER, &got, NULL))
            error = FailedCallCode(ERROR_READ_FAULT);
        else if (got == 0)
            break;
        else
            error = PutSafeBytes(file, piece, got);
    }
    return error;
}

DWORD CopyFileSafely(const char* source, const char* target)
{
    HANDLE input = OpenCachedFile(source);
    if (input == INVALID_HANDLE_VALUE)
        return FailedCallCode(ERROR_FILE_NOT_FOUND);
    SafeFile* file = (SafeFile*)HeapAlloc(GetProcessHeap(), 0, sizeof(SafeFile));
    DWORD error = file ? OpenSafeFile(file, target) : ERROR_NOT_ENOUGH_MEMORY;
    BYTE piece[SAFE_FILE_BUFFER];
    if (error == 0)
        error = PutFileContent(file, input, piece);
    if (error == 0)
        error = CommitSafeFile(file);
    else if (file)
        DiscardSafeFile(file);  // nothing to discard when it could not be opened
    CloseHandle(input);
    if (file)
        HeapFree(GetProcessHeap(), 0, file);
    return error;
}

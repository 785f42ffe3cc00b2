#include "safe_file.h"

SafeFileWriteCall SafeFileWrite = WriteFile;

// Temporary names tried before giving up on a folder full of leftovers.
static const DWORD NAME_ATTEMPTS = 100;

DWORD FailedCallCode(DWORD fallback)
{
    DWORD code = GetLastError();
    return code ? code : fallback;
}

// Why the target could not be replaced: read-only, or open in another program
// without leave to delete it (the system's sentence for 32 says it is in use;
// a refused move would only say "Access is denied"). 0 when nothing stands in
// the way, a missing target included.
static DWORD TargetHindrance(const char* target)
{
    DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    HANDLE probe = CreateFileA(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, 0, NULL);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : 0;
    CloseHandle(probe);
    return 0;
}

// Length of the target's folder part, its last separator included.
static int FolderLength(const char* path)
{
    int length = 0;
    for (int i = 0; path[i]; i++) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            length = i + 1;
    }
    return length;
}

// The temporary file's path: a short name in the target's folder, which the 8-bit
// calls take wherever the target fits, unless the target's own name is shorter
// still; a folder that leaves no room for it is reached through the long-path
// form ("\\?\") of its full path. FALSE when no such path can be made.
static BOOL MakeTemporaryName(SafeFile* file, DWORD attempt)
{
    char name[32];
    wsprintfA(name, "~bw%lx%lu.tmp", GetCurrentProcessId(), attempt);
    int folder = FolderLength(file->target);
    if (folder + lstrlenA(name) < MAX_PATH) {
        lstrcpynA(file->temporary, file->target, folder + 1);
        lstrcatA(file->temporary, name);
        return TRUE;
    }
    char full[SAFE_PATH_BYTES];
    char* namePart = NULL;
    DWORD length = GetFullPathNameA(file->target, sizeof full, full, &namePart);
    if (length == 0 || length >= sizeof full || !namePart)
        return FALSE;
    *namePart = '\0';
    const char* prefix = full[0] == '\\' && full[1] == '\\' ? "\\\\?\\UNC" : "\\\\?\\";
    const char* rest = full[0] == '\\' && full[1] == '\\' ? full + 1 : full;
    if (lstrlenA(prefix) + lstrlenA(rest) + lstrlenA(name) >= (int)SAFE_PATH_BYTES)
        return FALSE;
    wsprintfA(file->temporary, "%s%s%s", prefix, rest, name);
    return TRUE;
}

// Opens the temporary file for `target`; `hindrance` checks first that the target
// could be replaced.
static DWORD OpenTemporary(SafeFile* file, const char* target, BOOL hindrance)
{
    file->handle = INVALID_HANDLE_VALUE;
    file->direct = FALSE;
    file->consoleCodePage = 0;
    file->error = 0;
    file->pending = 0;
    file->position = 0;
    file->temporary[0] = '\0';
    // The suffix needs room after the target's name.
    if (lstrlenA(target) >= (int)SAFE_PATH_BYTES - 32)
        return file->error = ERROR_FILENAME_EXCED_RANGE;
    lstrcpyA(file->target, target);
    if (hindrance && (file->error = TargetHindrance(target)) != 0)
        return file->error;

    // Beside the target, so that the move stays on one volume, under a name that
    // tells whose leftover it is should the program be killed meanwhile.
    for (DWORD attempt = 0; attempt < NAME_ATTEMPTS; attempt++) {
        if (!MakeTemporaryName(file, attempt)) {
            file->temporary[0] = '\0';
            return file->error = ERROR_FILENAME_EXCED_RANGE;
        }
        file->handle = CreateFileA(file->temporary, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, NULL);
        if (file->handle != INVALID_HANDLE_VALUE)
            return 0;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    file->error = FailedCallCode(ERROR_CANNOT_MAKE);
    file->temporary[0] = '\0';
    return file->error;
}

DWORD OpenSafeFile(SafeFile* file, const char* target)
{
    return OpenTemporary(file, target, TRUE);
}

DWORD OpenNewSafeFile(SafeFile* file, const char* target)
{
    return OpenTemporary(file, target, FALSE);
}

void OpenDirectOutput(SafeFile* file, HANDLE handle, UINT codePage)
{
    DWORD mode;
    file->handle = handle;
    file->direct = TRUE;
    file->consoleCodePage = GetConsoleMode(handle, &mode) ? codePage : 0;
    file->error = 0;
    file->pending = 0;
    file->position = 0;
    file->target[0] = file->temporary[0] = '\0';
}

// Writes every byte, call after call: a call may write only part (Wine does so on
// a full disk, and fails only at the next call). A call that writes nothing gives
// the system's code.
static DWORD WriteAll(HANDLE handle, const BYTE* bytes, DWORD count)
{
    while (count > 0) {
        DWORD written = 0;
        SetLastError(0);
        if (!SafeFileWrite(handle, bytes, count, &written, NULL) || written == 0 || written > count)
            return FailedCallCode(ERROR_WRITE_FAULT);
        bytes += written;
        count -= written;
    }
    return 0;
}

// Text for a console, as UTF-16: a console shows the bytes of its own code page,
// which need not be the text's.
static DWORD WriteConsoleText(HANDLE console, const BYTE* bytes, DWORD count, UINT codePage)
{
    int units = MultiByteToWideChar(codePage, 0, (const char*)bytes, (int)count, NULL, 0);
    WCHAR* text = units > 0 ? (WCHAR*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)units * sizeof(WCHAR)) : NULL;
    if (!text)
        return units > 0 ? ERROR_NOT_ENOUGH_MEMORY : 0;
    MultiByteToWideChar(codePage, 0, (const char*)bytes, (int)count, text, units);
    DWORD error = 0, done = 0;
    while (error == 0 && done < (DWORD)units) {
        DWORD written = 0;
        if (!WriteConsoleW(console, text + done, (DWORD)units - done, &written, NULL) || written == 0)
            error = FailedCallCode(ERROR_WRITE_FAULT);
        done += written;
    }
    HeapFree(GetProcessHeap(), 0, text);
    return error;
}

// Writes the gathered bytes. For a console only whole lines go out, so that no
// character is cut in two, unless the buffer holds no line end or `all` is set.
static DWORD FlushGathered(SafeFile* file, BOOL all)
{
    if (file->error != 0 || file->pending == 0) {
        file->pending = 0;
        return file->error;
    }
    if (!file->consoleCodePage) {
        file->error = WriteAll(file->handle, file->buffer, file->pending);
        file->pending = 0;
        return file->error;
    }
    DWORD whole = file->pending;
    while (!all && whole > 0 && file->buffer[whole - 1] != '\n')
        whole--;
    if (whole == 0)
        whole = file->pending;
    file->error = WriteConsoleText(file->handle, file->buffer, whole, file->consoleCodePage);
    MoveMemory(file->buffer, file->buffer + whole, file->pending - whole);
    file->pending -= whole;
    return file->error;
}

static DWORD FlushPending(SafeFile* file)
{
    return FlushGathered(file, TRUE);
}

DWORD PutSafeBytes(SafeFile* file, const void* bytes, DWORD count)
{
    const BYTE* from = (const BYTE*)bytes;
    while (count > 0 && file->error == 0) {
        if (file->pending == SAFE_FILE_BUFFER && FlushGathered(file, FALSE) != 0)
            break;
        // What the buffer cannot hold whole goes out without a copy.
        if (file->pending == 0 && count >= SAFE_FILE_BUFFER && !file->consoleCodePage) {
            file->error = WriteAll(file->handle, from, count);
            file->position += count;
            break;
        }
        DWORD part = SAFE_FILE_BUFFER - file->pending;
        if (part > count)
            part = count;
        CopyMemory(file->buffer + file->pending, from, part);
        file->pending += part;
        file->position += part;
        from += part;
        count -= part;
    }
    return file->error;
}

DWORD PatchSafeDword(SafeFile* file, ULONGLONG offset, DWORD value)
{
    if (file->error != 0)
        return file->error;
    BYTE bytes[4] = {(BYTE)value, (BYTE)(value >> 8), (BYTE)(value >> 16), (BYTE)(value >> 24)};
    ULONGLONG buffered = file->position - file->pending;
    if (offset >= buffered && offset + 4 <= file->position) {
        CopyMemory(file->buffer + (offset - buffered), bytes, 4);
        return 0;
    }
    if (FlushPending(file) != 0)
        return file->error;
    LARGE_INTEGER at, end;
    at.QuadPart = (LONGLONG)offset;
    end.QuadPart = (LONGLONG)file->position;
    if (!SetFilePointerEx(file->handle, at, NULL, FILE_BEGIN))
        return file->error = FailedCallCode(ERROR_SEEK);
    if ((file->error = WriteAll(file->handle, bytes, 4)) != 0)
        return file->error;
    if (!SetFilePointerEx(file->handle, end, NULL, FILE_BEGIN))
        file->error = FailedCallCode(ERROR_SEEK);
    return file->error;
}

void DiscardSafeFile(SafeFile* file)
{
    if (file->direct)
        return;
    if (file->handle != INVALID_HANDLE_VALUE)
        CloseHandle(file->handle);
    file->handle = INVALID_HANDLE_VALUE;
    if (file->temporary[0])
        DeleteFileA(file->temporary);
    file->temporary[0] = '\0';
}

// Writes what is gathered and closes the temporary file. Gives 0 or the failure.
static DWORD CloseTemporary(SafeFile* file)
{
    DWORD error = FlushPending(file);
    // The bytes reach the disk before the name does, so that a crash right after
    // the move cannot leave an empty file in the target's place.
    if (error == 0 && !FlushFileBuffers(file->handle))
        error = FailedCallCode(ERROR_WRITE_FAULT);
    BOOL closed = CloseHandle(file->handle);
    file->handle = INVALID_HANDLE_VALUE;
    if (error == 0 && !closed)
        error = FailedCallCode(ERROR_WRITE_FAULT);
    return error;
}

DWORD CommitNewSafeFile(SafeFile* file, const char* target)
{
    // A second try finds the temporary file closed already.
    DWORD error = file->handle != INVALID_HANDLE_VALUE ? CloseTemporary(file) : file->error;
    if (error == 0 && lstrlenA(target) >= (int)SAFE_PATH_BYTES - 32)
        error = ERROR_FILENAME_EXCED_RANGE;
    if (error == 0) {
        lstrcpyA(file->target, target);
        // Without leave to replace, the move itself refuses a taken name: nothing
        // can come between a look and the move.
        if (MoveFileExA(file->temporary, target, MOVEFILE_WRITE_THROUGH)) {
            file->temporary[0] = '\0';
            return 0;
        }
        error = FailedCallCode(ERROR_CANNOT_MAKE);
        // Some systems refuse a move onto a folder as access denied: whatever
        // is there, the name is taken.
        if (error == ERROR_ACCESS_DENIED && GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES)
            error = ERROR_ALREADY_EXISTS;
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
            return error;
    }
    DiscardSafeFile(file);
    return file->error = error;
}

DWORD CommitSafeFile(SafeFile* file)
{
    if (file->direct)
        return FlushPending(file);
    DWORD error = CloseTemporary(file);
    // Another program may have taken the target meanwhile.
    if (error == 0)
        error = TargetHindrance(file->target);
    if (error == 0 &&
        !MoveFileExA(file->temporary, file->target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = FailedCallCode(ERROR_CANNOT_MAKE);
    if (error != 0)
        DiscardSafeFile(file);
    file->temporary[0] = '\0';
    return file->error = error;
}

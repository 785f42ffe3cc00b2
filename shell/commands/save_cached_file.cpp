#include "save_cached_file.h"
#include "file_dialogs.h"
#include "messages.h"

const char* FileNamePart(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at; at++) {
        if (*at == '\\')
            name = at + 1;
    }
    return name;
}

// Copies the file to `target` through a temporary file beside it, so that a
// copy that fails half-way leaves a file already at `target` as it was. Gives 0
// or the error.
static DWORD CopyBeside(const char* source, const char* target)
{
    char folder[FILE_NAME_BYTES];
    lstrcpynA(folder, target, FILE_NAME_BYTES);
    folder[FileNamePart(folder) - folder] = '\0';
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder[0] ? folder : ".", "bwk", 0, temporary))
        return GetLastError();
    DWORD error = 0;
    if (!CopyFileA(source, temporary, FALSE) ||
        !MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error)
        DeleteFileA(temporary);
    return error;
}

// The listing cannot change while the save dialog is up: it is modal over the
// main window, so `source` stays valid.
void SaveCachedFileAs(HWND window, const char* source)
{
    if (GetFileAttributesA(source) == INVALID_FILE_ATTRIBUTES) {
        ShowFileError(window, "The cache no longer holds the file", source, GetLastError());
        return;
    }
    char target[FILE_NAME_BYTES];
    lstrcpynA(target, FileNamePart(source), FILE_NAME_BYTES);
    if (!AskCachedFileCopyPath(window, target))
        return;
    DWORD error = CopyBeside(source, target);
    if (error)
        ShowFileError(window, "Couldn't save the cached file as", target, error);
}

#include "save_cached_file.h"
#include "file_copy.h"
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
    DWORD error = CopyFileSafely(source, target);
    if (error)
        ShowFileError(window, "Couldn't save the cached file as", target, error);
}

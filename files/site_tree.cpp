#include "site_tree.h"
#include "entry_status.h"
#include "file_copy.h"
#include "safe_file.h"
#include "site_names.h"

// Numbers tried for a taken name before the entry fails.
static const int NUMBER_LIMIT = 9999;
// The least room a folder must leave for a host and a short name.
static const int LEAST_NAME_ROOM = 32;

struct TreeSave {
    char path[MAX_PATH];        // the folder, a backslash, then the entry's site path
    int baseLength;             // of the folder and its backslash
    ULONGLONG written;          // bytes saved so far, for the progress
    SafeFile file;
    BYTE piece[SAFE_FILE_BUFFER];
};

// The folder's full path and a backslash; the folder is made when missing.
static DWORD OpenBase(TreeSave* save, const char* folder)
{
    char* base = save->path;
    DWORD length = GetFullPathNameA(folder, MAX_PATH, base, NULL);
    if (length == 0)
        return FailedCallCode(ERROR_INVALID_NAME);
    if (length + LEAST_NAME_ROOM >= MAX_PATH - SITE_NUMBER_ROOM)
        return ERROR_FILENAME_EXCED_RANGE;
    if (!CreateDirectoryA(base, NULL)) {
        DWORD error = FailedCallCode(ERROR_CANNOT_MAKE);
        DWORD attributes = GetFileAttributesA(base);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return error;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_DIRECTORY;
    }
    if (base[length - 1] != '\\')
        base[length++] = '\\';
    base[length] = '\0';
    save->baseLength = (int)length;
    return 0;
}

// The last look before anything is made: every part of the site path is a plain
// name, so that the path cannot lead out of the folder (no "..", "." or empty
// part, no drive, stream or other separator).
static BOOL IsPlainRelativePath(const char* relative)
{
    int partLength = 0;
    for (const char* at = relative;; at++) {
        if (*at == '\\' || *at == '\0') {
            if (partLength == 0 || at[-1] == '.' || at[-1] == ' ')
                return FALSE;
            if (*at == '\0')
                return TRUE;
            partLength = 0;
        } else if (*at == '/' || *at == ':' || (BYTE)*at < 0x20) {
            return FALSE;
        } else {
            partLength++;
        }
    }
}

// Puts " (number)" at `at` of the path in place of the `*inserted` characters put
// there before; number 1 puts none. FALSE when the path would not fit.
static BOOL Renumber(char* path, int at, int* inserted, int number)
{
    char mark[16] = "";
    if (number > NUMBER_LIMIT)
        return FALSE;
    if (number > 1)
        wsprintfA(mark, " (%d)", number);
    int markLength = lstrlenA(mark), length = lstrlenA(path);
    if (length - *inserted + markLength >= MAX_PATH)
        return FALSE;
    MoveMemory(path + at + markLength, path + at + *inserted, length - at - *inserted + 1);
    CopyMemory(path + at, mark, markLength);
    *inserted = markLength;
    return TRUE;
}

// Makes the folders of the path below the folder chosen. One whose name a file
// has, or that is a link which could lead elsewhere, is passed over for a numbered
// one. Gives 0 or the failure.
static DWORD MakeFolders(char* path, int baseLength)
{
    for (int end = baseLength; path[end]; end++) {
        if (path[end] != '\\')
            continue;
        int inserted = 0;
        for (int number = 1;; number++) {
            if (!Renumber(path, end, &inserted, number))
                return ERROR_FILENAME_EXCED_RANGE;
            path[end + inserted] = '\0';
            BOOL made = CreateDirectoryA(path, NULL);
            DWORD error = made ? 0 : FailedCallCode(ERROR_CANNOT_MAKE);
            DWORD attributes = made ? FILE_ATTRIBUTE_DIRECTORY : GetFileAttributesA(path);
            path[end + inserted] = '\\';
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return error;
            if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == FILE_ATTRIBUTE_DIRECTORY)
                break;
        }
        end += inserted;
    }
    return 0;
}

// Copies the input through the safe writer to the path, or to the first free
// numbered name beside it. Gives 0 or the failure.
static DWORD CopyToFreeName(TreeSave* save, HANDLE input)
{
    SafeFile* file = &save->file;
    DWORD error = OpenNewSafeFile(file, save->path);
    if (error == 0)
        error = PutFileContent(file, input, save->piece);
    if (error) {
        DiscardSafeFile(file);
        return error;
    }
    ULONGLONG size = file->position;
    // The number goes before the name's extension.
    int name = lstrlenA(save->path), at = name;
    while (save->path[name - 1] != '\\')
        name--;
    for (int i = name + 1; save->path[i]; i++)
        if (save->path[i] == '.')
            at = i;
    int inserted = 0;
    for (int number = 1;; number++) {
        if (!Renumber(save->path, at, &inserted, number)) {
            DiscardSafeFile(file);
            return ERROR_FILENAME_EXCED_RANGE;
        }
        error = CommitNewSafeFile(file, save->path);
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    if (error == 0)
        save->written += size;
    return error;
}

// Saves the entry's cached file. Gives 0 or the failure; sets `skipped` when
// there is no file to save.
static DWORD SaveEntry(TreeSave* save, const CacheEntry* entry, BOOL* skipped)
{
    *skipped = !entry->url || !entry->localFile || !entry->localFile[0] || entry->status == STATUS_DELETED;
    if (*skipped)
        return 0;
    HANDLE input = OpenCachedFile(entry->localFile);
    if (input == INVALID_HANDLE_VALUE) {
        DWORD error = FailedCallCode(ERROR_FILE_NOT_FOUND);
        *skipped = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return *skipped ? 0 : error;
    }
    char* relative = save->path + save->baseLength;
    DWORD error = 0;
    if (!MakeSiteName(entry->url, entry->localFile, save->baseLength, relative))
        error = ERROR_FILENAME_EXCED_RANGE;
    else if (!IsPlainRelativePath(relative))
        error = ERROR_INVALID_NAME;
    else if ((error = MakeFolders(save->path, save->baseLength)) == 0)
        error = CopyToFreeName(save, input);
    CloseHandle(input);
    return error;
}

DWORD SaveSiteTree(const char* folder, const Listing* listing, const RowFilter* shown, const SaveProgress* progress,
                   SiteTreeOutcome* outcome)
{
    ZeroMemory(outcome, sizeof *outcome);
    TreeSave* save = (TreeSave*)HeapAlloc(GetProcessHeap(), 0, sizeof(TreeSave));
    if (!save)
        return ERROR_NOT_ENOUGH_MEMORY;
    save->written = 0;
    DWORD error = OpenBase(save, folder);
    for (LONG row = 0; error == 0 && row < listing->count; row++) {
        if (progress && progress->report && !progress->report(row, listing->count, save->written, progress->context)) {
            error = ERROR_CANCELLED;
            break;
        }
        const CacheEntry* entry = EntryAt(listing, row);
        if (!EntryShown(entry, shown))
            continue;
        BOOL skipped = FALSE;
        DWORD failure = SaveEntry(save, entry, &skipped);
        if (skipped) {
            outcome->skipped++;
        } else if (failure == 0) {
            outcome->saved++;
        } else if (outcome->failed++ == 0) {
            outcome->firstError = failure;
            lstrcpynA(outcome->firstUrl, entry->url, SITE_URL_BYTES);
        }
    }
    HeapFree(GetProcessHeap(), 0, save);
    return error;
}

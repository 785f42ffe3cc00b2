// Files in the cache's subfolders that no entry of the listing names join it as
// entries without a URL.
#include <string.h>
#include "strays.h"
#include "entry_index.h"
#include "entry_status.h"
#include "entry_time.h"

// 23 hours 59 minutes 59 seconds in FILETIME units, added to a stray's last access.
static const ULONGLONG LAST_ACCESS_LATE_IN_DAY = 863990000000ULL;
static const char ALL_FILES[] = "*.*";
static const char ALL_FILES_BELOW[] = "\\*.*";

// Names are compared byte for byte: "Desktop.ini" is a stray, only "desktop.ini" is not.
static BOOL IsDotName(const char* name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

// The local file text of the first row that is not a cookie and names a file.
static const char* FirstLocalFile(const Listing* listing)
{
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry && !(entry->typeFlags & COOKIE_ENTRY_BIT) && entry->localFile && entry->localFile[0])
            return entry->localFile;
    }
    return NULL;
}

// Length of the cache folder in a local file text, up to and including the second
// backslash from the end; 0 when the text has fewer than two.
static size_t CacheFolderLength(const char* localFile)
{
    int seen = 0;
    for (size_t at = strlen(localFile); at > 0; at--) {
        if (localFile[at - 1] == '\\' && ++seen == 2)
            return at;
    }
    return 0;
}

static void FillStray(CacheEntry* entry, const WIN32_FIND_DATAA* found, LONG entryNumber, const LocalTimeOffset* zone)
{
    entry->status = STATUS_UNCHANGED;
    entry->url = NULL;
    entry->headerText = NULL;
    entry->typeFlags = found->dwFileAttributes;
    entry->size = found->nFileSizeLow;
    entry->hitRate = 0;
    entry->useCount = 0;
    entry->exemptDelta = 0;
    entry->entryNumber = entryNumber;

    FILETIME local;
    LocalTime(zone, &found->ftLastAccessTime, &local);
    ULARGE_INTEGER access;
    access.LowPart = local.dwLowDateTime;
    access.HighPart = local.dwHighDateTime;
    access.QuadPart += LAST_ACCESS_LATE_IN_DAY;
    entry->lastAccess.dwLowDateTime = access.LowPart;
    entry->lastAccess.dwHighDateTime = access.HighPart;
    LocalTime(zone, &found->ftLastWriteTime, &entry->lastModified);
    ZeroMemory(&entry->lastSync, sizeof(entry->lastSync));
    ZeroMemory(&entry->expireTime, sizeof(entry->expireTime));
    entry->fromBackup = 0;
}

// Adds the item whose full path the buffer holds, unless an entry names it already.
// Gives 0 or 8; `added` grows by one for a new stray.
static DWORD AddStrayUnlessNamed(Listing* listing, const char* path, const WIN32_FIND_DATAA* found,
                                 const LocalTimeOffset* zone, LONG* added)
{
    IndexLookup lookup;
    DWORD result = LookupForAppend(&listing->byLocalFile, listing, path, NULL, NULL, &lookup);
    if (result != 0)
        return result;
    if (lookup.found)
        return 0;

    (*added)++;
    CacheEntry* entry = NewEntry(listing);
    if (!entry)
        return ERROR_CODE_OUT_OF_MEMORY;
    entry->localFile = CopyString(listing, path);
    if (!entry->localFile) {
        DropNewEntry(listing);
        return ERROR_CODE_OUT_OF_MEMORY;
    }
    FillStray(entry, found, listing->count, zone);
    listing->count++;
    EnterAtSlot(&listing->byLocalFile, &lookup, entry);
    return 0;
}

static DWORD ScanFolder(Listing* listing, char* folderPath, const LocalTimeOffset* zone)
{
    size_t folderLength = strnlen(folderPath, STRAY_PATH_BUFFER);
    if (folderLength + sizeof(ALL_FILES_BELOW) > STRAY_PATH_BUFFER)
        return ERROR_FILENAME_EXCED_RANGE;
    // An index whose build ran out of memory has no slots and would call every file a stray.
    DWORD result = EnsureIndexBuilt(&listing->byLocalFile, listing);
    if (result != 0)
        return result;

    CopyMemory(folderPath + folderLength, ALL_FILES_BELOW, sizeof(ALL_FILES_BELOW));
    char* name = folderPath + folderLength + 1;
    size_t nameRoom = STRAY_PATH_BUFFER - (folderLength + 1);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(folderPath, &found);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        return code ? code : ERROR_PATH_NOT_FOUND;
    }

    LONG added = 0;
    do {
        if (IsDotName(found.cFileName) || strcmp(found.cFileName, "desktop.ini") == 0)
            continue;
        // A path that does not fit the buffer cannot be an entry's local file either.
        size_t nameLength = strnlen(found.cFileName, sizeof(found.cFileName));
        if (nameLength >= nameRoom)
            continue;
        CopyMemory(name, found.cFileName, nameLength);
        name[nameLength] = '\0';
        result = AddStrayUnlessNamed(listing, folderPath, &found, zone, &added);
    } while (result == 0 && FindNextFileA(search, &found));
    FindClose(search);

    if (result == 0)
        listing->strayCount += added;
    return result;
}

DWORD ScanStrayFolder(Listing* listing, char* folderPath)
{
    return ScanFolder(listing, folderPath, &listing->zone);
}

void ScanStrays(Listing* listing)
{
    listing->strayCount = 0;
    if (listing->count <= 0)
        return;
    const char* localFile = FirstLocalFile(listing);
    if (!localFile)
        return;
    size_t folderLength = CacheFolderLength(localFile);
    if (folderLength == 0 || folderLength + sizeof(ALL_FILES) > STRAY_PATH_BUFFER)
        return;

    char path[STRAY_PATH_BUFFER];
    CopyMemory(path, localFile, folderLength);
    CopyMemory(path + folderLength, ALL_FILES, sizeof(ALL_FILES));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        listing->error = code ? code : ERROR_PATH_NOT_FOUND;
        return;
    }

    // Only the subfolders are walked; files lying in the cache folder itself are not strays.
    // The error is rewritten only when a subfolder was scanned.
    DWORD result = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotName(found.cFileName))
            continue;
        size_t nameLength = strnlen(found.cFileName, sizeof(found.cFileName));
        if (folderLength + nameLength + sizeof(ALL_FILES_BELOW) > STRAY_PATH_BUFFER)
            continue;
        CopyMemory(path + folderLength, found.cFileName, nameLength);
        path[folderLength + nameLength] = '\0';
        result = ScanFolder(listing, path, &listing->zone);
        listing->error = result;
    } while (result == 0 && FindNextFileA(search, &found));
    FindClose(search);
}

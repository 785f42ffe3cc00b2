#include <string.h>
#include <windows.h>
#include <wininet.h>
#include "cache_scan.h"
#include "entry_status.h"
#include "entry_time.h"
#include "heap.h"

NextCacheEntryCall NextCacheEntry = FindNextUrlCacheEntryA;

// A string that WinINet placed in the enumeration buffer: its start when it lies
// inside the buffer, and its length without reading past the buffer's end.
static const char* TextInBuffer(const BYTE* buffer, DWORD size, const char* text, DWORD* length)
{
    *length = 0;
    if (!text || (const BYTE*)text < buffer || (const BYTE*)text >= buffer + size)
        return NULL;
    *length = (DWORD)strnlen(text, buffer + size - (const BYTE*)text);
    return text;
}

static BOOL IsDrivePath(const char* path)
{
    char c = path[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':';
}

// Copies the strings of one enumerated entry into a fresh record; gives 0 or 8.
static DWORD CopyEntryStrings(Listing* listing, CacheEntry* entry, const INTERNET_CACHE_ENTRY_INFOA* info, DWORD size)
{
    const BYTE* buffer = (const BYTE*)info;
    DWORD length;
    const char* url = TextInBuffer(buffer, size, info->lpszSourceUrlName, &length);
    entry->url = NULL;
    entry->localFile = NULL;
    entry->headerText = NULL;
    if (url && !(entry->url = CopyStringN(listing, url, length)))
        return ERROR_CODE_OUT_OF_MEMORY;

    const char* file = TextInBuffer(buffer, size, info->lpszLocalFileName, &length);
    if (!file)
        file = "";
    if (length > 0 && file[length - 1] == '.')
        length--;
    if (!(entry->localFile = CopyStringN(listing, file, length)))
        return ERROR_CODE_OUT_OF_MEMORY;

    // The header is a counted buffer: at most dwHeaderInfoSize bytes, ended early by a NUL.
    const char* header = TextInBuffer(buffer, size, (const char*)info->lpHeaderInfo, &length);
    if (header) {
        if (length > info->dwHeaderInfoSize)
            length = info->dwHeaderInfoSize;
        if (!(entry->headerText = CopyHeaderText(listing, header, length)))
            return ERROR_CODE_OUT_OF_MEMORY;
    }
    return 0;
}

// What one scan keeps between entries.
struct ScanState {
    Listing* listing;
    DWORD skippedTypes;         // entries with any of these type bits are left out
    FreeSpaceQuery freeSpace;
    BOOL measured;              // the cluster measurement has been attempted
    LocalTimeOffset zone;       // taken once for the whole scan
};

// Appends one enumerated entry unless the include rules leave it out; gives 0 or 8.
static DWORD AddScannedEntry(ScanState* scan, const INTERNET_CACHE_ENTRY_INFOA* info, DWORD size)
{
    if (info->CacheEntryType & scan->skippedTypes)
        return 0;
    Listing* listing = scan->listing;

    CacheEntry* entry = NewEntry(listing);
    if (!entry)
        return ERROR_CODE_OUT_OF_MEMORY;
    if (CopyEntryStrings(listing, entry, info, size) != 0) {
        DropNewEntry(listing);
        return ERROR_CODE_OUT_OF_MEMORY;
    }
    LocalTime(&scan->zone, &info->LastAccessTime, &entry->lastAccess);
    LocalModifiedTime(&scan->zone, &info->LastModifiedTime, &entry->lastModified);
    LocalTime(&scan->zone, &info->LastSyncTime, &entry->lastSync);
    LocalExpireTime(&scan->zone, &info->ExpireTime, &entry->expireTime);
    entry->typeFlags = info->CacheEntryType;

    // The cluster size is measured once, on the first non-cookie entry whose local
    // file names a drive.
    if (!(entry->typeFlags & COOKIE_ENTRY_BIT) && listing->clusterSize == 0 && !scan->measured &&
        IsDrivePath(entry->localFile)) {
        scan->measured = TRUE;
        listing->clusterSize = MeasureClusterSize(entry->localFile[0], scan->freeSpace);
        if (listing->clusterSize == 0)
            listing->clusterSize = 1;
    }

    entry->size = info->dwSizeLow;
    entry->hitRate = info->dwHitRate;
    entry->useCount = info->dwUseCount;
    entry->exemptDelta = info->dwExemptDelta;
    entry->entryNumber = listing->count;
    entry->status = STATUS_UNCHANGED;
    entry->fromBackup = 0;
    listing->count++;
    return 0;
}

static void AbandonScan(Listing* listing, HANDLE enumeration, void* buffer)
{
    if (enumeration)
        FindCloseUrlCache(enumeration);
    HeapRelease(buffer);
    FreeListing(listing);
    listing->error = ERROR_CODE_OUT_OF_MEMORY;
}

DWORD ScanCache(Listing* listing, BOOL includeCookies, FreeSpaceQuery freeSpace, const FillProgress* progress)
{
    if (!InitListing(listing))
        return listing->error;
    DWORD size = SCAN_BUFFER_START;
    INTERNET_CACHE_ENTRY_INFOA* info = (INTERNET_CACHE_ENTRY_INFOA*)HeapGet(size);
    if (!info) {
        AbandonScan(listing, NULL, NULL);
        return listing->error;
    }

    ScanState scan = {listing, HISTORY_ENTRY_BIT | (includeCookies ? 0 : COOKIE_ENTRY_BIT), freeSpace, FALSE,
                      listing->zone};
    HANDLE enumeration = NULL;
    for (;;) {
        DWORD reported = size;
        info->dwStructSize = size;
        BOOL ok;
        if (!enumeration)
            ok = (enumeration = FindFirstUrlCacheEntryA(NULL, info, &reported)) != NULL;
        else
            ok = NextCacheEntry(enumeration, info, &reported);
        if (ok) {
            if (AddScannedEntry(&scan, info, size) != 0) {
                AbandonScan(listing, enumeration, info);
                return listing->error;
            }
            ReportFillProgress(progress, listing);
            if (FillStopped(progress)) {
                listing->error = ERROR_CANCELLED;
                break;
            }
            continue;
        }

        DWORD code = GetLastError();
        if (code == ERROR_INSUFFICIENT_BUFFER && reported > size) {
            // The same entry comes again with the next call, into a buffer of the size asked for.
            HeapRelease(info);
            size = reported;
            info = (INTERNET_CACHE_ENTRY_INFOA*)HeapGet(size);
            if (!info) {
                AbandonScan(listing, enumeration, NULL);
                return listing->error;
            }
            continue;
        }
        // ERROR_NO_MORE_ITEMS is the normal end; some systems answer an empty cache
        // with ERROR_FILE_NOT_FOUND. Anything else leaves the listing incomplete.
        BOOL normalEnd = code == ERROR_NO_MORE_ITEMS || (code == ERROR_FILE_NOT_FOUND && !enumeration);
        if (!normalEnd)
            listing->error = code ? code : ERROR_INVALID_FUNCTION;
        break;
    }
    if (enumeration)
        FindCloseUrlCache(enumeration);
    HeapRelease(info);
    return listing->error;
}

DWORD MeasureClusterSize(char driveLetter, FreeSpaceQuery freeSpace)
{
    char root[4] = { driveLetter, ':', '\\', '\0' };
    char fileSystem[16 + 1] = "";
    DWORD flags = 0;
    if (!GetVolumeInformationA(root, NULL, 0, NULL, NULL, &flags, fileSystem, 16))
        return 0;
    fileSystem[16] = '\0';
    return ClusterSizeForVolume(root, fileSystem, flags, freeSpace);
}

static DWORD SectorsTimesBytes(const char* root, BOOL* ok)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    *ok = GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
    return *ok ? sectorsPerCluster * bytesPerSector : 0;
}

static BOOL IsPlausibleCluster(DWORD bytes)
{
    return bytes >= 512 && bytes <= 65536 && (bytes & (bytes - 1)) == 0;
}

// Writes a one-byte file into the drive's root and reads how much free space it
// took. A file of the probe's name that already exists is left alone.
static DWORD ClusterSizeByProbe(const char* root, FreeSpaceQuery freeSpace)
{
    ULARGE_INTEGER available, total, before, after;
    if (!freeSpace(root, &available, &total, &before))
        return 0;
    char probe[MAX_PATH];
    wsprintfA(probe, "%s__tmp", root);
    HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BYTE zero = 0;
    DWORD written;
    WriteFile(file, &zero, 1, &written, NULL);
    CloseHandle(file);
    BOOL ok = freeSpace(root, &available, &total, &after);
    DeleteFileA(probe);
    if (!ok)
        return 0;
    // Other writes to the disk while the probe ran would give a nonsense difference.
    DWORD taken = before.LowPart - after.LowPart;
    return IsPlausibleCluster(taken) ? taken : 0;
}

DWORD ClusterSizeForVolume(const char* root, const char* fileSystem, DWORD fileSystemFlags, FreeSpaceQuery freeSpace)
{
    BOOL ok;
    if (fileSystem[0] && fileSystem[1] == 'T' && fileSystem[2] == 'F' && fileSystem[3] == 'S') {
        DWORD bytes = SectorsTimesBytes(root, &ok);
        return ok ? bytes : 512;
    }
    if (fileSystemFlags & FILE_VOLUME_IS_COMPRESSED)
        return 32768;
    if (!freeSpace) {
        DWORD bytes = SectorsTimesBytes(root, &ok);
        return ok && bytes <= 65536 ? bytes : 0;
    }
    return ClusterSizeByProbe(root, freeSpace);
}

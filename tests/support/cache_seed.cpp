#include "cache_seed.h"
#include <wininet.h>
#include <string.h>
#include <vector>

// Calls WinINet until the record fits, as a caller must.
static bool NextRecord(HANDLE* find, std::vector<BYTE>* buffer)
{
    for (;;) {
        DWORD size = (DWORD)buffer->size();
        auto* info = (INTERNET_CACHE_ENTRY_INFOA*)buffer->data();
        info->dwStructSize = size;
        BOOL ok = *find ? FindNextUrlCacheEntryA(*find, info, &size)
                        : (*find = FindFirstUrlCacheEntryA(NULL, info, &size)) != NULL;
        if (ok)
            return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        buffer->resize(size);
    }
}

std::vector<CachedRecord> ReadCacheDirectly()
{
    std::vector<CachedRecord> records;
    std::vector<BYTE> buffer(4096);
    HANDLE find = NULL;
    while (NextRecord(&find, &buffer)) {
        auto* info = (INTERNET_CACHE_ENTRY_INFOA*)buffer.data();
        CachedRecord record;
        record.url = info->lpszSourceUrlName ? info->lpszSourceUrlName : "";
        record.localFile = info->lpszLocalFileName ? info->lpszLocalFileName : "";
        record.type = info->CacheEntryType;
        record.size = info->dwSizeLow;
        record.hitRate = info->dwHitRate;
        record.useCount = info->dwUseCount;
        record.exemptDelta = info->dwExemptDelta;
        record.lastAccess = info->LastAccessTime;
        record.lastModified = info->LastModifiedTime;
        record.lastSync = info->LastSyncTime;
        record.expire = info->ExpireTime;
        record.headerSize = info->dwHeaderInfoSize;
        // The header info is a counted buffer; WinINet need not end it with a NUL.
        if (info->lpHeaderInfo)
            record.header.assign((const char*)info->lpHeaderInfo,
                                 strnlen((const char*)info->lpHeaderInfo, info->dwHeaderInfoSize));
        records.push_back(record);
    }
    if (find)
        FindCloseUrlCache(find);
    return records;
}

void ClearUrlCache()
{
    for (const CachedRecord& record : ReadCacheDirectly())
        DeleteUrlCacheEntryA(record.url.c_str());
}

std::string SeedCacheEntry(const SeedEntry& entry)
{
    char path[MAX_PATH] = "";
    const char* extension = entry.extension.empty() ? NULL : entry.extension.c_str();
    if (!CreateUrlCacheEntryA(entry.url.c_str(), (DWORD)entry.content.size(), extension, path, 0))
        return "";
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    DWORD written = 0;
    WriteFile(file, entry.content.data(), (DWORD)entry.content.size(), &written, NULL);
    CloseHandle(file);
    BYTE* header = entry.header.empty() ? NULL : (BYTE*)entry.header.c_str();
    if (!CommitUrlCacheEntryA(entry.url.c_str(), path, entry.expire, entry.modified, entry.type, header,
                              (DWORD)entry.header.size(), extension, NULL))
        return "";
    return path;
}

bool SetCacheEntryTimes(const std::string& url, const FILETIME* access, const FILETIME* modified,
                        const FILETIME* sync)
{
    INTERNET_CACHE_ENTRY_INFOA info = {};
    info.dwStructSize = sizeof(info);
    if (modified) {
        info.LastModifiedTime = *modified;
        if (!SetUrlCacheEntryInfoA(url.c_str(), &info, CACHE_ENTRY_MODTIME_FC))
            return false;
    }
    // The sync time is taken from the access time field: set it that way first.
    if (sync) {
        info.LastAccessTime = *sync;
        if (!SetUrlCacheEntryInfoA(url.c_str(), &info, CACHE_ENTRY_SYNCTIME_FC))
            return false;
    }
    if (access) {
        info.LastAccessTime = *access;
        if (!SetUrlCacheEntryInfoA(url.c_str(), &info, CACHE_ENTRY_ACCTIME_FC))
            return false;
    }
    return true;
}

bool SetCacheEntryCounters(const std::string& url, DWORD hitRate, DWORD exemptDelta)
{
    INTERNET_CACHE_ENTRY_INFOA info = {};
    info.dwStructSize = sizeof(info);
    info.dwHitRate = hitRate;
    info.dwExemptDelta = exemptDelta;
    return SetUrlCacheEntryInfoA(url.c_str(), &info, CACHE_ENTRY_HITRATE_FC | CACHE_ENTRY_EXEMPT_DELTA_FC) != FALSE;
}

FILETIME MakeFileTime(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME parts = {};
    parts.wYear = (WORD)year;
    parts.wMonth = (WORD)month;
    parts.wDay = (WORD)day;
    parts.wHour = (WORD)hour;
    parts.wMinute = (WORD)minute;
    parts.wSecond = (WORD)second;
    FILETIME result = {0, 0};
    SystemTimeToFileTime(&parts, &result);
    return result;
}

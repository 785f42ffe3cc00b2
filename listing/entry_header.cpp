#include <string.h>
#include <windows.h>
#include <wininet.h>
#include "entry_header.h"
#include "heap.h"

// The first buffer's size; an entry that needs more says how much.
static const DWORD FETCH_START = 4096;

// The cache's record of the URL in the fetch buffer, or null.
static const INTERNET_CACHE_ENTRY_INFOA* FetchCacheRecord(HeaderFetch* fetch, const char* url)
{
    for (int attempt = 0; attempt < 3; attempt++) {
        if (!fetch->buffer) {
            fetch->buffer = (BYTE*)HeapGet(fetch->capacity > FETCH_START ? fetch->capacity : FETCH_START);
            if (!fetch->buffer)
                return NULL;
            if (fetch->capacity < FETCH_START)
                fetch->capacity = FETCH_START;
        }
        DWORD size = fetch->capacity;
        INTERNET_CACHE_ENTRY_INFOA* info = (INTERNET_CACHE_ENTRY_INFOA*)fetch->buffer;
        info->dwStructSize = sizeof *info;
        if (GetUrlCacheEntryInfoA(url, info, &size))
            return info;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= fetch->capacity)
            return NULL;
        HeapRelease(fetch->buffer);
        fetch->buffer = NULL;
        fetch->capacity = size;
    }
    return NULL;
}

// The header in the cache's record: at most dwHeaderInfoSize bytes, ended early by
// a NUL, and never past the buffer.
static const char* HeaderInRecord(const HeaderFetch* fetch, const INTERNET_CACHE_ENTRY_INFOA* info, DWORD* length)
{
    const BYTE* header = (const BYTE*)info->lpHeaderInfo;
    const BYTE* end = fetch->buffer + fetch->capacity;
    if (!header || header < fetch->buffer || header >= end)
        return NULL;
    DWORD room = (DWORD)(end - header);
    *length = (DWORD)strnlen((const char*)header, info->dwHeaderInfoSize < room ? info->dwHeaderInfoSize : room);
    return (const char*)header;
}

const char* WholeHeader(HeaderFetch* fetch, const CacheEntry* entry, DWORD* length)
{
    *length = 0;
    if (entry->wholeHeader) {
        *length = (DWORD)strlen(entry->wholeHeader);
        return entry->wholeHeader;
    }
    if (entry->url && entry->localFile && entry->localFile[0]) {
        const INTERNET_CACHE_ENTRY_INFOA* info = FetchCacheRecord(fetch, entry->url);
        const char* header = info ? HeaderInRecord(fetch, info, length) : NULL;
        if (header || info)
            return header;
    }
    if (entry->headerText)
        *length = (DWORD)strlen(entry->headerText);
    return entry->headerText;
}

void ReleaseHeaderFetch(HeaderFetch* fetch)
{
    HeapRelease(fetch->buffer);
    fetch->buffer = NULL;
    fetch->capacity = 0;
}

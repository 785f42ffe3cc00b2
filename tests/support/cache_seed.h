// Seeding and clearing the test prefix's real WinINet URL cache.
#ifndef BRINDLEWICK_TEST_CACHE_SEED_H
#define BRINDLEWICK_TEST_CACHE_SEED_H

#include <windows.h>
#include <string>
#include <vector>

const DWORD NORMAL_ENTRY = 0x00000001;
const DWORD COOKIE_ENTRY = 0x00100001;
const DWORD HISTORY_ENTRY = 0x00200001;

struct SeedEntry {
    std::string url;
    std::string content = "x";
    DWORD type = NORMAL_ENTRY;
    std::string header;             // committed as the entry's header info when not empty
    FILETIME expire = {0, 0};
    FILETIME modified = {0, 0};
    std::string extension;          // e.g. "htm"; empty: WinINet takes it from the URL
};

// One entry as WinINet enumerates it, read without the code under test.
struct CachedRecord {
    std::string url;
    std::string localFile;
    std::string header;
    DWORD headerSize;
    DWORD type;
    DWORD size;
    DWORD hitRate;
    DWORD useCount;
    DWORD exemptDelta;
    FILETIME lastAccess;
    FILETIME lastModified;
    FILETIME lastSync;
    FILETIME expire;
};

// Every entry of the cache in enumeration order, history and cookies included.
std::vector<CachedRecord> ReadCacheDirectly();
// Deletes every entry of the cache: content, cookies and history.
void ClearUrlCache();
// Creates and commits one entry; gives its local file path, or "" when WinINet refused.
std::string SeedCacheEntry(const SeedEntry& entry);
// Sets the times WinINet keeps for an entry (access last, so that it sticks).
bool SetCacheEntryTimes(const std::string& url, const FILETIME* access, const FILETIME* modified,
                        const FILETIME* sync);
bool SetCacheEntryCounters(const std::string& url, DWORD hitRate, DWORD exemptDelta);

// A FILETIME from a UTC calendar time.
FILETIME MakeFileTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

#endif

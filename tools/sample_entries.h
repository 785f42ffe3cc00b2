// Cache entries of realistic shape, made up deterministically: URLs over a few
// hundred hosts with paths, query strings and a spread of lengths; local files in
// four 8-character cache subfolders with "[1]"-style suffixes; response headers of
// 100 to 400 characters; a few percent cookies.
#ifndef BRINDLEWICK_BENCH_SAMPLE_ENTRIES_H
#define BRINDLEWICK_BENCH_SAMPLE_ENTRIES_H

#include <windows.h>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// One entry as a producer would read it, before it is carved into a listing.
struct EntrySpec {
    std::string url;
    std::string localFile;      // full path
    std::string header;         // raw, CR LF between lines; empty: none
    std::string fileName;       // the last path segment's name without suffix and extension
    std::string extension;      // without the dot
    int folder = 0;             // 0..3: which cache subfolder
    DWORD typeFlags = 1;
    DWORD size = 0;
    DWORD hitRate = 1;
    DWORD useCount = 0;
    DWORD exemptDelta = 0;
    FILETIME lastAccess = {0, 0};
    FILETIME lastModified = {0, 0};
    FILETIME lastSync = {0, 0};
    FILETIME expireTime = {0, 0};
};

// The state of one made-up cache: its folders, the URLs and file names given so far.
struct EntryMaker {
    DWORD random;
    std::string cacheFolder;                    // ends in a backslash
    std::string cookieFolder;                   // ends in a backslash
    std::string subfolders[4];                  // 8 characters each
    std::unordered_set<std::string> urls;       // every URL given out
    std::unordered_map<std::string, int> names; // "folder\name.ext" -> suffixes used
};

const DWORD COOKIE_TYPE = 0x00100001;
const DWORD NORMAL_TYPE = 0x00000001;

// A maker whose entries lie under `cacheFolder` (ending in a backslash) in four
// subfolders named from `seed`.
EntryMaker NewEntryMaker(DWORD seed, const std::string& cacheFolder, const std::string& cookieFolder);
// A new entry with a URL no earlier entry of this maker has; about 3% are cookies.
EntrySpec MakeEntry(EntryMaker* maker);
std::vector<EntrySpec> MakeEntries(EntryMaker* maker, int count);
// The next free "name[k].ext" of the entry's kind in another (or the same) subfolder.
std::string NewLocalFile(EntryMaker* maker, EntrySpec* entry);

// Seeds the entry into the real WinINet cache with `contentBytes` bytes of content,
// its times and its counters; false when WinINet refused it.
bool SeedSampleEntry(const EntrySpec& entry, DWORD contentBytes);

// A number from the maker's generator, 0 <= value < bound.
DWORD Pick(EntryMaker* maker, DWORD bound);
// A time `seconds` after `time`.
FILETIME AddSeconds(FILETIME time, LONGLONG seconds);

#endif

#include "seeded_cache.h"
#include <stdio.h>
#include <windows.h>
#include <wininet.h>
#include <string>
#include <vector>
#include "cache_scan.h"
#include "cache_seed.h"
#include "sample_entries.h"

namespace {

const DWORD CACHE_SEED = 20050307;
const DWORD SPARE_SEED = 19990401;

// Spare entries in each of the two groups that come and go between rescans: a
// quarter of 1% of the cache.
int SpareGroup(int count)
{
    return count / 400;
}

std::string MarkerPath(int count)
{
    return std::string(BENCH_DATA_FOLDER) + "\\seeded-cache-" + std::to_string(count) + ".txt";
}

const char SHORT_HEADER[] = "HTTP/1.1 200 OK\r\n";
// Bytes of an index entry in Wine's layout, and of the two blocks it may take.
const size_t INDEX_ENTRY_FIXED = 104;
const size_t TWO_BLOCKS = 256;

size_t Aligned(size_t bytes)
{
    return (bytes + 3) & ~(size_t)3;
}

// Whether the entry, its file named "name[NN].ext" and the short header fit two
// blocks of the index.
bool FitsTwoBlocks(const EntrySpec& spec)
{
    size_t name = spec.fileName.size() + 5 + spec.extension.size();
    return INDEX_ENTRY_FIXED + Aligned(spec.url.size() + 1) + Aligned(name + 1) + Aligned(sizeof SHORT_HEADER - 1) +
               Aligned(spec.extension.size() + 1) <=
           TWO_BLOCKS;
}

// Entries of the maker small enough for two index blocks, with the short header.
std::vector<EntrySpec> SmallEntries(EntryMaker* maker, int count)
{
    std::vector<EntrySpec> entries;
    while ((int)entries.size() < count) {
        EntrySpec entry = MakeEntry(maker);
        entry.header = SHORT_HEADER;
        if (FitsTwoBlocks(entry))
            entries.push_back(entry);
    }
    return entries;
}

// A content file of a 64th of the entry's size.
bool Seed(const EntrySpec& spec)
{
    return SeedSampleEntry(spec, 1 + spec.size / 64);
}

// The entries of the seeded cache besides the standing spares; the same count
// gives the same entries.
std::vector<EntrySpec> SeededEntries(int count)
{
    EntryMaker maker = NewEntryMaker(CACHE_SEED, "", "");
    return SmallEntries(&maker, count - SpareGroup(count));
}

// Spare URLs for the entries that come and go between rescans: two groups.
std::vector<EntrySpec> SpareEntries(int perGroup)
{
    EntryMaker maker = NewEntryMaker(SPARE_SEED, "", "");
    std::vector<EntrySpec> spares;
    while ((int)spares.size() < 2 * perGroup) {
        EntrySpec entry = SmallEntries(&maker, 1)[0];
        entry.url += (entry.url.find('?') == std::string::npos ? "?spare=" : "&spare=") + std::to_string(spares.size());
        if (entry.typeFlags != COOKIE_TYPE && FitsTwoBlocks(entry))
            spares.push_back(entry);
    }
    return spares;
}

bool IsCached(const std::string& url)
{
    DWORD size = 0;
    if (GetUrlCacheEntryInfoA(url.c_str(), NULL, &size))
        return true;
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

}  // namespace

int CountCacheEntries()
{
    DWORD size = SCAN_BUFFER_START;
    std::vector<BYTE> buffer(size);
    HANDLE find = NULL;
    int count = 0;
    for (;;) {
        DWORD reported = size;
        auto* info = (INTERNET_CACHE_ENTRY_INFOA*)buffer.data();
        info->dwStructSize = size;
        BOOL ok = find ? FindNextUrlCacheEntryA(find, info, &reported)
                       : (find = FindFirstUrlCacheEntryA(NULL, info, &reported)) != NULL;
        if (ok) {
            count++;
            continue;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || reported <= size)
            break;
        size = reported;
        buffer.resize(size);
    }
    if (find)
        FindCloseUrlCache(find);
    return count;
}

bool EnsureSeededCache(int count)
{
    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    std::string marker = MarkerPath(count);
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;

    printf("Seeding the prefix's URL cache with %d entries (once per prefix; a few milliseconds an entry)...\n",
           count);
    fflush(stdout);
    ClearUrlCache();
    std::vector<EntrySpec> entries = SeededEntries(count);
    for (size_t i = 0; i < entries.size(); i++) {
        Seed(entries[i]);
        if ((i + 1) % 5000 == 0) {
            printf("  %d entries\n", (int)(i + 1));
            fflush(stdout);
        }
    }
    // The first group of spares stands in the cache from the start.
    std::vector<EntrySpec> spares = SpareEntries(SpareGroup(count));
    for (size_t i = 0; i < spares.size() / 2; i++)
        Seed(spares[i]);
    int cached = CountCacheEntries();
    printf("A bare enumeration meets %d entries.\n", cached);
    if (cached < count * 99 / 100)
        return false;
    FILE* file = fopen(marker.c_str(), "w");
    if (file) {
        fprintf(file, "%d entries seeded, %d enumerated\n", count, cached);
        fclose(file);
    }
    return true;
}

void ChangeOnePercent(int count, int round)
{
    static std::vector<EntrySpec> entries;
    static std::vector<EntrySpec> spares;
    if (entries.empty()) {
        entries = SeededEntries(count);
        spares = SpareEntries(SpareGroup(count));
    }
    // Half of the 1%: revisited, a different slice every round.
    int revisits = count / 200;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    for (int i = 0; i < revisits; i++) {
        const EntrySpec& entry = entries[(size_t)(round * revisits + i) * 7919 % entries.size()];
        FILETIME access = AddSeconds(now, -(LONGLONG)(round * 1000 + i));
        SetCacheEntryTimes(entry.url, &access, NULL, NULL);
        SetCacheEntryCounters(entry.url, entry.hitRate + 1 + round, entry.exemptDelta);
    }
    // A quarter vanish and a quarter arrive: the standing group of spares goes and
    // the other one comes.
    size_t group = spares.size() / 2;
    bool firstStands = IsCached(spares[0].url);
    size_t leaving = firstStands ? 0 : group;
    size_t arriving = firstStands ? group : 0;
    for (size_t i = 0; i < group; i++) {
        DeleteUrlCacheEntryA(spares[leaving + i].url.c_str());
        Seed(spares[arriving + i]);
    }
}

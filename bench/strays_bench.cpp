// The stray file scan over real cache folders holding N / 10 files that no entry
// names, against listing the same folders without lookups.
#include <stdio.h>
#include <string>
#include <vector>
#include "bench.h"
#include "results.h"
#include "seeded_cache.h"
#include "strays.h"

namespace {

std::string StrayRoot(int n)
{
    return std::string(BENCH_DATA_FOLDER) + "\\strays-" + std::to_string(n);
}

// Creates the stray files once per prefix; gives false when one cannot be made.
bool MakeStrayFiles(const std::string& root, const std::vector<EntrySpec>& strays, const EntryMaker& maker)
{
    std::string marker = root + "\\made.txt";
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    printf("Making %d stray files in %s (once per prefix)...\n", (int)strays.size(), root.c_str());
    fflush(stdout);
    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    CreateDirectoryA(root.c_str(), NULL);
    CreateDirectoryA(maker.cacheFolder.c_str(), NULL);
    for (const std::string& folder : maker.subfolders)
        CreateDirectoryA((maker.cacheFolder + folder).c_str(), NULL);
    for (const EntrySpec& stray : strays) {
        HANDLE file = CreateFileA(stray.localFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written;
        WriteFile(file, stray.url.data(), (DWORD)stray.url.size(), &written, NULL);
        CloseHandle(file);
    }
    FILE* file = fopen(marker.c_str(), "w");
    if (file)
        fclose(file);
    return true;
}

// Lists a folder's items, and those of its subfolders when `descend`; gives how many.
int ListFolder(const std::string& folder, bool descend)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int items = 0;
    do {
        bool dots = found.cFileName[0] == '.' &&
                    (found.cFileName[1] == '\0' || (found.cFileName[1] == '.' && found.cFileName[2] == '\0'));
        if (dots)
            continue;
        items++;
        if (descend && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            items += ListFolder(folder + "\\" + found.cFileName, false);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return items;
}

}  // namespace

void BenchStrays(const Sample& sample)
{
    // Strays need folders of their own, with entries made up for them.
    if (sample.real)
        return;
    int n = (int)sample.entries.size();
    std::string root = StrayRoot(n);
    EntryMaker maker = NewEntryMaker(6000 + n, root + "\\Content.IE5\\", root + "\\Cookies\\");
    std::vector<EntrySpec> entries = MakeEntries(&maker, n);
    // The first row must name a file in a cache subfolder, as a scan's first content entry does.
    for (size_t i = 0; i < entries.size(); i++)
        if (entries[i].typeFlags != COOKIE_TYPE) {
            std::swap(entries[0], entries[i]);
            break;
        }
    std::vector<EntrySpec> strays;
    while ((int)strays.size() < n / 10) {
        EntrySpec stray = MakeEntry(&maker);
        if (stray.typeFlags != COOKIE_TYPE)
            strays.push_back(stray);
    }
    if (!MakeStrayFiles(root, strays, maker)) {
        AddNote("ScanStrays: the stray files could not be made; not measured.");
        return;
    }

    Listing listing = {};
    LONG found = 0;
    Timed scan = {[&](int) {
                      FreeListing(&listing);
                      FillListing(&listing, entries);
                      BuildIndexes(&listing);
                  },
                  [&] { ScanStrays(&listing); },
                  [&] { found = listing.strayCount; }, 1};
    std::string cacheFolder = maker.cacheFolder.substr(0, maker.cacheFolder.size() - 1);
    volatile int listed = 0;
    Timed plain = {nullptr, [&] { listed = ListFolder(cacheFolder, true); }, nullptr};
    Stats scanStats, plainStats;
    MeasurePair(scan, plain, &scanStats, &plainStats);
    AddRow(TimedRow("ScanStrays, " + std::to_string(found) + " strays found", sample.label, n, scanStats,
                    "listing the same folders without lookups", plainStats));
    if (found != n / 10)
        AddNote("ScanStrays at N = " + std::to_string(n) + " found " + std::to_string(found) + " strays, not " +
                std::to_string(n / 10) + ".");
    FreeListing(&listing);
}

// What a listing costs the process, as GetProcessMemoryInfo sees it, against the
// bytes of its records and strings. Each count is filled in a child process of its
// own, so that nothing the benchmark held before weighs in, and another child
// makes the same entries (or the same enumeration) for an empty listing: the
// difference of the two is the listing's.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include "bench.h"
#include "cache_scan.h"
#include "entry_index.h"
#include "results.h"
#include "seeded_cache.h"

namespace {

struct Figures {
    double peakWorkingSet = 0;
    double privateBytes = 0;
    double payload = 0;     // the listing's records and strings
};

// Under Wine PagefileUsage is the memory the process has written to (its private
// bytes, which a heap keeps after freeing), while PrivateUsage reads 0.
Figures ProcessFigures()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    Figures figures;
    figures.peakWorkingSet = (double)counters.PeakWorkingSetSize;
    figures.privateBytes = (double)counters.PagefileUsage;
    return figures;
}

// Runs this program as a memory child; false when it could not be run.
bool RunChild(const std::string& kind, int count, Figures* figures)
{
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, MAX_PATH);
    std::string output = std::string(BENCH_DATA_FOLDER) + "\\memory-child.txt";
    std::string command = "\"" + std::string(program) + "\" --memory-child " + kind + " " + std::to_string(count) +
                          " \"" + output + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    FILE* in = fopen(output.c_str(), "r");
    bool read = in && fscanf(in, "%lf %lf %lf", &figures->peakWorkingSet, &figures->privateBytes,
                             &figures->payload) == 3;
    if (in)
        fclose(in);
    DeleteFileA(output.c_str());
    return read;
}

}  // namespace

bool MeasureMemoryChild(const std::string& kind, int count, double* privateBytes, double* peakWorkingSet)
{
    Figures figures;
    if (!RunChild(kind, count, &figures))
        return false;
    *privateBytes = figures.privateBytes;
    *peakWorkingSet = figures.peakWorkingSet;
    return true;
}

int RunMemoryChild(const char* kind, int count, const char* outputPath)
{
    std::string what = kind;
    bool empty = what.compare(0, 5, "empty") == 0;
    Listing listing = {};
    InitListing(&listing);
    if (what == "history") {
        RunHistorySeries(count);
    } else if (what.find("real") != std::string::npos) {
        // The fill of start-up: the scan and both indexes; the baseline enumerates bare.
        if (empty) {
            CountCacheEntries();
        } else {
            FreeListing(&listing);
            ScanCache(&listing, TRUE, GetDiskFreeSpaceExA);
        }
    } else {
        // The same made-up entries either way, made one at a time.
        EntryMaker maker = MadeUpMaker(count);
        for (int i = 0; i < count; i++) {
            EntrySpec entry = MakeEntry(&maker);
            if (!empty)
                AppendEntry(&listing, entry);
        }
    }
    BuildIndexes(&listing);
    Figures figures = ProcessFigures();
    FILE* out = fopen(outputPath, "w");
    if (!out)
        return 1;
    fprintf(out, "%.0f %.0f %.0f\n", figures.peakWorkingSet, figures.privateBytes, PayloadBytes(&listing));
    fclose(out);
    return 0;
}

void BenchMemory(const Sample& sample)
{
    AddNote("Memory: peak working set and private bytes of a child process that fills the listing (the real "
            "cache: ScanCache, as start-up does; made-up entries: one record at a time) and builds both indexes, "
            "minus those of a child that makes the same entries, or the same enumeration, for an empty listing. "
            "Under Wine, GetProcessMemoryInfo's PagefileUsage holds the private bytes (written memory, which the "
            "heap keeps after a free, so it is the fill's peak); its PrivateUsage reads 0.");
    std::string kind = sample.real ? "real" : "madeup";
    int count = sample.real ? 0 : (int)sample.entries.size();
    Figures full, empty;
    if (!RunChild("listing-" + kind, count, &full) || !RunChild("empty-" + kind, count, &empty)) {
        AddNote("Memory of " + sample.label + ": the child process could not be run.");
        return;
    }
    double peak = full.peakWorkingSet - empty.peakWorkingSet, privateBytes = full.privateBytes - empty.privateBytes;
    ResultRow row;
    row.operation = "Listing after the fill and both index builds: private bytes (peak working set " + Bytes(peak) +
                    ")";
    row.sample = sample.label;
    row.n = (int)sample.entries.size();
    row.min = row.median = Bytes(privateBytes);
    row.baseline = "its records and strings";
    row.baselineMin = row.baselineMedian = Bytes(full.payload);
    double ratio = privateBytes / full.payload;
    row.ratio = Times(ratio);
    Judge(&row, TARGET_MEMORY, ratio, row.ratio, ratio <= 1.5);
    AddRow(row);
}

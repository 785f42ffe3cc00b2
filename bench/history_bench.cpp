// /history over a series of 30 archives of a changing cache, per archive against
// loading one archive once; and the peak memory of the process whatever the
// number of archives.
#include <stdio.h>
#include <string>
#include <vector>
#include "archive_time.h"
#include "backup_reader.h"
#include "bench.h"
#include "command_line.h"
#include "results.h"
#include "seeded_cache.h"

namespace {

const int SERIES = 30;
// Archives of the memory child with the fewest files.
const int FEW = 5;
const std::string FOLDER = std::string(BENCH_DATA_FOLDER) + "\\history";

std::string ArchivePath(int night)
{
    char name[32];
    snprintf(name, sizeof name, "\\night-%02d.cbf", night + 1);
    return FOLDER + name;
}

// Dates the archive as saved on the night given, as the program would have.
bool Stamp(const std::string& path, int night)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    BYTE header[BACKUP_HEADER_BYTES];
    DWORD done = 0;
    ULARGE_INTEGER time;
    time.QuadPart = 0x01DC000000000000ULL + night * 864000000000ULL;
    FILETIME saved = {time.LowPart, time.HighPart};
    bool stamped = ReadFile(file, header, sizeof header, &done, NULL) && done == sizeof header;
    StampArchiveTime(header, &saved);
    stamped = stamped && SetFilePointer(file, 0, NULL, FILE_BEGIN) == 0 &&
              WriteFile(file, header, sizeof header, &done, NULL) && done == sizeof header;
    CloseHandle(file);
    return stamped;
}

// Thirty nights of the cache: each night 2% of the entries revisited, 0.5% gone
// and 0.5% new. Records only: the content is passed over when loaded.
bool WriteSeries(const Sample& sample)
{
    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    CreateDirectoryA(FOLDER.c_str(), NULL);
    EntryMaker maker = sample.maker;
    std::vector<EntrySpec> entries = sample.entries;
    const ChangeMix nightly = {5, 20, 0, 5};
    for (int night = 0; night < SERIES; night++) {
        ULONGLONG bytes;
        if (night > 0)
            entries = FollowingScan(&maker, entries, nightly);
        if (!WriteBackupFile(ArchivePath(night), entries, 0, &bytes) || !Stamp(ArchivePath(night), night))
            return false;
    }
    return true;
}

int RunHistory(int archives, const std::string& csv)
{
    std::vector<std::string> texts = {"/history"};
    for (int night = 0; night < archives; night++)
        texts.push_back(ArchivePath(night));
    texts.push_back("/csv");
    texts.push_back(csv);
    std::vector<char*> arguments;
    for (std::string& text : texts)
        arguments.push_back(&text[0]);
    return RunCommandLine((int)arguments.size(), arguments.data(), NULL, NULL);
}

}  // namespace

void RunHistorySeries(int archives)
{
    RunHistory(archives, FOLDER + "\\memory-child.csv");
}

void BenchHistory(const Sample& sample)
{
    if (sample.real || sample.entries.size() > 10000)
        return;
    printf("Writing %d archives of %s entries...\n", SERIES, sample.label.c_str());
    fflush(stdout);
    if (!WriteSeries(sample)) {
        AddNote("/history: the archives could not be written; not measured.");
        return;
    }
    std::string csv = FOLDER + "\\history.csv", first = ArchivePath(0);
    int exitCode = 0;
    Listing listing = {};
    Timed history = {nullptr, [&] { exitCode = RunHistory(SERIES, csv); }, nullptr, 1};
    Timed load = {nullptr, [&] {
                      LoadBackupFile(first.c_str(), &listing);
                      FreeListing(&listing);
                  },
                  nullptr};
    Stats historyStats, loadStats;
    MeasurePair(history, load, &historyStats, &loadStats);
    // Per archive: the oldest is loaded and compared with nothing.
    historyStats.min /= SERIES;
    historyStats.median /= SERIES;
    AddRow(TimedRow("/history over " + std::to_string(SERIES) + " archives (CSV of the changes), per archive",
                    sample.label, (int)sample.entries.size(), historyStats, "LoadBackupFile of one archive", loadStats,
                    TARGET_HISTORY, 1.5));
    if (exitCode != 0)
        AddNote("/history exited with " + std::to_string(exitCode) + ".");

    double few, many, peakFew, peakMany;
    if (!MeasureMemoryChild("history", FEW, &few, &peakFew) ||
        !MeasureMemoryChild("history", SERIES, &many, &peakMany)) {
        AddNote("/history's memory: the child process could not be run.");
        return;
    }
    ResultRow row;
    row.operation = "/history over " + std::to_string(SERIES) + " archives: private bytes of the process (peak "
                    "working set " + Bytes(peakMany) + ")";
    row.sample = sample.label;
    row.n = (int)sample.entries.size();
    row.min = row.median = Bytes(many);
    row.baseline = "the same over " + std::to_string(FEW) + " archives (peak working set " + Bytes(peakFew) + ")";
    row.baselineMin = row.baselineMedian = Bytes(few);
    row.ratio = Times(many / few);
    Judge(&row, TARGET_HISTORY_MEMORY, many / few, row.ratio, many / few <= 1.1);
    AddRow(row);
}

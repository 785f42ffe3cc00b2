// Loading a backup file against reading it sequentially once, and writing the text
// report against writing the same number of bytes.
#include <stdio.h>
#include <string>
#include <vector>
#include "backup_builder.h"
#include "backup_reader.h"
#include "bench_groups.h"
#include "results.h"
#include "sample_listing.h"
#include "seeded_cache.h"
#include "text_report.h"

namespace {

const DWORD CHUNK = 64 * 1024;

// Writes a backup file of the entries; each record is followed by its entry's size
// divided by `contentDivisor` in content bytes (0: no content, every size 0).
bool WriteBackupFile(const std::string& path, const std::vector<EntrySpec>& entries, DWORD contentDivisor,
                     ULONGLONG* fileBytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BackupFileSpec header;
    header.blocks.resize(2, std::string(168, 'b'));
    header.endMarker = false;
    std::string pending = BackupFileBytes(header);
    *fileBytes = 0;
    bool ok = true;
    auto flush = [&](bool last) {
        if (pending.size() < CHUNK && !last)
            return;
        DWORD written = 0;
        ok = ok && WriteFile(file, pending.data(), (DWORD)pending.size(), &written, NULL) && written == pending.size();
        *fileBytes += pending.size();
        pending.clear();
    };
    for (const EntrySpec& entry : entries) {
        BackupRecordSpec record;
        record.url = entry.url;
        if (entry.typeFlags != COOKIE_TYPE)
            record.extension = entry.extension;
        if (!entry.header.empty())
            record.header = entry.header;
        record.type = entry.typeFlags;
        record.useCount = entry.useCount;
        record.hitRate = entry.hitRate;
        record.content = contentDivisor ? std::string(entry.size / contentDivisor, 'x') : std::string();
        record.modified = entry.lastModified;
        record.expire = entry.expireTime;
        record.access = entry.lastAccess;
        record.sync = entry.lastSync;
        record.exemptDelta = entry.exemptDelta;
        pending += RecordBytes(record);
        flush(false);
    }
    pending.append(4, '\0');
    flush(true);
    CloseHandle(file);
    return ok;
}

void ReadSequentially(const std::string& path, std::vector<BYTE>* chunk)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    DWORD got;
    while (ReadFile(file, chunk->data(), CHUNK, &got, NULL) && got > 0) {
    }
    CloseHandle(file);
}

void WriteBytes(const std::string& path, ULONGLONG bytes, const std::vector<BYTE>& chunk)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    for (ULONGLONG left = bytes; left > 0;) {
        DWORD part = left < CHUNK ? (DWORD)left : CHUNK;
        WriteFile(file, chunk.data(), part, &written, NULL);
        left -= part;
    }
    CloseHandle(file);
}

ULONGLONG FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

void BenchLoad(int n, const std::vector<EntrySpec>& entries, DWORD contentDivisor, const char* shape,
               const char* name)
{
    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    std::string path = std::string(BENCH_DATA_FOLDER) + "\\backup-" + std::to_string(n) + "-" + name + ".cbf";
    // Large files are written once per prefix; the marker says the file is whole.
    std::string marker = path + ".done";
    ULONGLONG bytes = FileBytes(path);
    if (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES || bytes == 0) {
        printf("Writing %s (once per prefix)...\n", path.c_str());
        fflush(stdout);
        if (!WriteBackupFile(path, entries, contentDivisor, &bytes)) {
            AddNote("LoadBackupFile: the backup file could not be written; not measured.");
            return;
        }
        FILE* done = fopen(marker.c_str(), "w");
        if (done)
            fclose(done);
    }
    Listing listing = {};
    LONG loaded = 0;
    std::vector<BYTE> chunk(CHUNK);
    Timed load = {nullptr, [&] { LoadBackupFile(path.c_str(), &listing); },
                  [&] {
                      loaded = listing.error ? -(LONG)listing.error : listing.count;
                      FreeListing(&listing);
                  }};
    Timed read = {nullptr, [&] { ReadSequentially(path, &chunk); }, nullptr};
    Stats loadStats, readStats;
    read.work();
    MeasurePair(BENCH_RUNS, load, read, &loadStats, &readStats);
    AddRow(TimedRow(std::string("LoadBackupFile, ") + shape + ", " + Bytes((double)bytes), n, loadStats,
                    "reading the file sequentially once (64 KiB reads)", readStats, 3.0));
    if (loaded != n)
        AddNote("LoadBackupFile at N = " + std::to_string(n) + " gave " + std::to_string(loaded) + " entries.");
}

}  // namespace

void BenchBackup(int n)
{
    static bool noted = false;
    if (!noted)
        AddNote("Backup files: \"records only\" has no content after any record (every size 0), the worst case "
                "for the reader's own work; \"with its content\" follows every record with as many bytes as its "
                "entry's size, as a real backup file does.");
    noted = true;
    EntryMaker maker = NewEntryMaker(7000 + n, "", "");
    std::vector<EntrySpec> entries = MakeEntries(&maker, n);
    BenchLoad(n, entries, 0, "records only, no content", "records");
    BenchLoad(n, entries, 1, "each record with its content", "contents");
}

void BenchReport(int n)
{
    EntryMaker maker = NewEntryMaker(8000 + n, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    Listing listing = {};
    FillListing(&listing, MakeEntries(&maker, n));
    for (LONG row = 0; row < listing.count; row++)
        EntryAt(&listing, row)->status = (LONG)Pick(&maker, 8);

    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    std::string report = std::string(BENCH_DATA_FOLDER) + "\\report-" + std::to_string(n) + ".txt";
    std::string plain = std::string(BENCH_DATA_FOLDER) + "\\plain-" + std::to_string(n) + ".txt";
    ExportListingText(report.c_str(), &listing);
    ULONGLONG bytes = FileBytes(report);
    std::vector<BYTE> chunk(CHUNK, 'x');

    Timed exportText = {nullptr, [&] { ExportListingText(report.c_str(), &listing); }, nullptr};
    Timed write = {nullptr, [&] { WriteBytes(plain, bytes, chunk); }, nullptr};
    Stats exportStats, writeStats;
    MeasurePair(BENCH_RUNS, exportText, write, &exportStats, &writeStats);
    AddRow(TimedRow("ExportListingText, " + Bytes((double)bytes), n, exportStats,
                    "writing the same number of bytes (64 KiB writes)", writeStats, 3.0));
    DeleteFileA(report.c_str());
    DeleteFileA(plain.c_str());
    FreeListing(&listing);
}

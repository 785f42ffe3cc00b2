// Loading a backup file against reading it and copying its bytes once; writing the
// text report against writing the same number of bytes; saving a cache backup
// against reading the cached files and writing their bytes.
#include <ctype.h>
#include <stdio.h>
#include <string.h>
#include <functional>
#include <string>
#include <vector>
#include "backup_builder.h"
#include "backup_reader.h"
#include "backup_writer.h"
#include "bench.h"
#include "cache_scan.h"
#include "csv_export.h"
#include "ordering.h"
#include "results.h"
#include "safe_file.h"
#include "seeded_cache.h"
#include "text_report.h"

namespace {

const DWORD CHUNK = 64 * 1024;

}  // namespace

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

namespace {


// Reads the file in 64 KiB pieces and copies each piece once, as a reader that
// takes every byte it needs out of its buffer at least does.
void ReadAndCopy(const std::string& path, std::vector<BYTE>* chunk, std::vector<BYTE>* copy)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    DWORD got;
    while (ReadFile(file, chunk->data(), CHUNK, &got, NULL) && got > 0)
        memcpy(copy->data(), chunk->data(), got);
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

// The same bytes the way every save writes them: into a temporary file beside the
// target, flushed to the disk and moved over the target.
void WriteBytesSafely(const std::string& path, ULONGLONG bytes, const std::vector<BYTE>& chunk)
{
    static SafeFile file;   // its 64 KiB buffer stays off the stack
    if (OpenSafeFile(&file, path.c_str()) != 0)
        return;
    for (ULONGLONG left = bytes; left > 0;) {
        DWORD part = left < CHUNK ? (DWORD)left : CHUNK;
        PutSafeBytes(&file, chunk.data(), part);
        left -= part;
    }
    CommitSafeFile(&file);
}

ULONGLONG FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// A file name for one sample's data: "backup-60,000 (real cache)-records.cbf" in short.
std::string DataFile(const Sample& sample, const std::string& what)
{
    std::string name;
    for (char c : sample.label)
        if (isalnum((unsigned char)c))
            name += c;
    return std::string(BENCH_DATA_FOLDER) + "\\" + what + "-" + name;
}

// What no load that keeps its entries can avoid: writing a record, the URL and the
// header of every entry once into memory the process has not touched before.
void BenchLoadAgainstFreshMemory(const Sample& sample, const Timed& load, const char* shape)
{
    size_t bytes = 0;
    for (const EntrySpec& entry : sample.entries)
        bytes += sizeof(CacheEntry) + entry.url.size() + entry.header.size() + 2;
    Timed fresh = {nullptr,
                   [&] {
                       BYTE* block = (BYTE*)VirtualAlloc(NULL, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
                       BYTE* next = block;
                       for (const EntrySpec& entry : sample.entries) {
                           memset(next, 0, sizeof(CacheEntry));
                           next += sizeof(CacheEntry);
                           for (const std::string* text : {&entry.url, &entry.header}) {
                               memcpy(next, text->c_str(), text->size() + 1);
                               next += text->size() + 1;
                           }
                       }
                       VirtualFree(block, 0, MEM_RELEASE);
                   },
                   nullptr};
    Stats loadStats, freshStats;
    MeasurePair(load, fresh, &loadStats, &freshStats);
    AddRow(TimedRow(std::string("LoadBackupFile, ") + shape, sample.label, (int)sample.entries.size(), loadStats,
                    "writing its records, URLs and headers once into fresh memory (" + Bytes((double)bytes) + ")",
                    freshStats));
}

void BenchLoad(const Sample& sample, DWORD contentDivisor, const char* shape, const char* name)
{
    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    std::string path = DataFile(sample, std::string("backup-") + name) + ".cbf";
    // Large files are written once per prefix; the marker says the file is whole.
    std::string marker = path + ".done";
    ULONGLONG bytes = FileBytes(path);
    if (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES || bytes == 0) {
        printf("Writing %s (once per prefix)...\n", path.c_str());
        fflush(stdout);
        if (!WriteBackupFile(path, sample.entries, contentDivisor, &bytes)) {
            AddNote("LoadBackupFile: the backup file could not be written; not measured.");
            return;
        }
        FILE* done = fopen(marker.c_str(), "w");
        if (done)
            fclose(done);
    }
    Listing listing = {};
    LONG loaded = 0;
    std::vector<BYTE> chunk(CHUNK), copy(CHUNK);
    Timed load = {nullptr, [&] {
                      FreeListing(&listing);
                      LoadBackupFile(path.c_str(), &listing);
                  },
                  [&] {
                      loaded = listing.error ? -(LONG)listing.error : listing.count;
                      FreeListing(&listing);
                  }};
    Timed read = {nullptr, [&] { ReadAndCopy(path, &chunk, &copy); }, nullptr};
    Stats loadStats, readStats;
    MeasurePair(load, read, &loadStats, &readStats);
    AddRow(TimedRow(std::string("LoadBackupFile, ") + shape + ", " + Bytes((double)bytes), sample.label,
                    (int)sample.entries.size(), loadStats, "reading the file and copying its bytes once (64 KiB "
                    "pieces)", readStats, TARGET_BACKUP_LOAD, 3.0));
    if (loaded != (LONG)sample.entries.size())
        AddNote("LoadBackupFile of " + sample.label + " gave " + std::to_string(loaded) + " entries.");
    if (contentDivisor == 0)
        BenchLoadAgainstFreshMemory(sample, load, shape);
}

// The entries as a listing after a merge: every status.
void FillReportListing(Listing* listing, const Sample& sample)
{
    FillListing(listing, sample.entries);
    EntryMaker maker = NewEntryMaker(8000, "", "");
    for (LONG row = 0; row < listing->count; row++)
        EntryAt(listing, row)->status = (LONG)Pick(&maker, 8);
}

typedef std::function<DWORD(const char* path, const Listing* listing)> FileWriter;

// An export of the listing to a file against writing as many bytes in 64 KiB
// pieces: in the order the rows were made, which lie in memory one after the other,
// and then in the list's first order (newest access first), judged, in which they
// lie scattered.
void BenchExport(const Sample& sample, const char* operation, const char* extension, const FileWriter& write)
{
    Listing listing = {};
    FillReportListing(&listing, sample);
    CreateDirectoryA(BENCH_DATA_FOLDER, NULL);
    std::string output = DataFile(sample, "export") + "." + extension;
    std::string plain = DataFile(sample, "plain") + "." + extension;
    write(output.c_str(), &listing);
    ULONGLONG bytes = FileBytes(output);
    std::vector<BYTE> chunk(CHUNK, 'x');
    for (bool listOrder : {false, true}) {
        if (listOrder)
            SortListing(&listing, 5, 1);
        Timed exported = {nullptr, [&] { write(output.c_str(), &listing); }, nullptr};
        Timed written = {nullptr, [&] { WriteBytes(plain, bytes, chunk); }, nullptr};
        Stats exportStats, writeStats;
        MeasurePair(exported, written, &exportStats, &writeStats);
        std::string order = listOrder ? " in the list's first order" : " in the order the rows were made";
        AddRow(TimedRow(std::string(operation) + order + ", " + Bytes((double)bytes), sample.label, listing.count,
                        exportStats, "writing the same number of bytes (64 KiB pieces)", writeStats,
                        listOrder ? TARGET_EXPORT : NO_TARGET, 3.0));
    }
    // How much of the export is the safe save itself: the flush to the disk and the move.
    Timed exported = {nullptr, [&] { write(output.c_str(), &listing); }, nullptr};
    Timed safely = {nullptr, [&] { WriteBytesSafely(plain, bytes, chunk); }, nullptr};
    Stats exportStats, safeStats;
    MeasurePair(exported, safely, &exportStats, &safeStats);
    AddRow(TimedRow(std::string(operation) + " in the list's first order, " + Bytes((double)bytes), sample.label,
                    listing.count, exportStats,
                    "writing the same number of bytes as every save does: temporary file, flushed, moved into place",
                    safeStats, NO_TARGET, 3.0));
    DeleteFileA(output.c_str());
    DeleteFileA(plain.c_str());
    FreeListing(&listing);
}

// Reads every cached file of the listing and writes its bytes to one file: what
// saving a cache backup cannot do with less.
void CopyCachedFiles(const Listing* listing, const std::string& output, std::vector<BYTE>* chunk)
{
    HANDLE out = CreateFileA(output.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        HANDLE file = entry->localFile ? CreateFileA(entry->localFile, GENERIC_READ, FILE_SHARE_READ, NULL,
                                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL)
                                       : INVALID_HANDLE_VALUE;
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD got, written;
        while (ReadFile(file, chunk->data(), CHUNK, &got, NULL) && got > 0)
            WriteFile(out, chunk->data(), got, &written, NULL);
        CloseHandle(file);
    }
    CloseHandle(out);
}

// A cache backup of the real cache's listing against reading the same cached files
// and writing their bytes.
void BenchSaveBackup(const Sample& sample, const FileWriter& save)
{
    const char* operation = "\"Save Cache Backup\" of every entry";
    if (!sample.real) {
        AddRow(Unmeasurable(operation, sample.label, TARGET_SAVE_BACKUP,
                            sample.entries.size() > 60000 ? "no WinINet cache holds this many entries"
                                                          : "measured with the real cache of this size"));
        return;
    }
    Listing listing = {};
    ScanCache(&listing, TRUE, GetDiskFreeSpaceExA);
    std::string output = DataFile(sample, "cache-backup") + ".cbf", copy = DataFile(sample, "cached-files");
    std::vector<BYTE> chunk(CHUNK);
    Timed saved = {nullptr, [&] { save(output.c_str(), &listing); }, nullptr};
    Timed copied = {nullptr, [&] { CopyCachedFiles(&listing, copy, &chunk); }, nullptr};
    Stats saveStats, copyStats;
    MeasurePair(saved, copied, &saveStats, &copyStats);
    AddRow(TimedRow(operation, sample.label, listing.count, saveStats,
                    "reading the same cached files and writing their bytes", copyStats, TARGET_SAVE_BACKUP, 1.5));
    DeleteFileA(output.c_str());
    DeleteFileA(copy.c_str());
    FreeListing(&listing);
}

}  // namespace

void BenchBackup(const Sample& sample)
{
    AddNote("Backup files: \"records only\" has no content after any record (every size 0), the worst case for "
            "the reader's own work; \"with content\" follows every record with as many bytes as its entry's "
            "size, as a real backup file does.");
    BenchLoad(sample, 0, "records only, no content", "records");
    BenchLoad(sample, 1, "each record with its content", "contents");
}

void BenchReport(const Sample& sample)
{
    BenchExport(sample, "ExportListingText", "txt", ExportListingText);
    BenchExport(sample, "ExportListingCsv", "csv",
                [](const char* path, const Listing* listing) { return ExportListingCsv(path, listing, NULL); });
}

void BenchCacheBackup(const Sample& sample)
{
    BenchSaveBackup(sample, [](const char* path, const Listing* listing) {
        BackupSaveOutcome outcome;
        return SaveBackupFile(path, listing, NULL, &outcome);
    });
}

// The writers: backup files, the CSV export and the safe file they all save through.
#include <stdio.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include "backup_builder.h"
#include "backup_reader.h"
#include "backup_writer.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "csv_export.h"
#include "entry_status.h"
#include "listing_builder.h"
#include "safe_file.h"
#include "text_report.h"

namespace {

// Every field a backup file keeps, as one line.
std::string Fields(const CacheEntry* e)
{
    char numbers[200];
    snprintf(numbers, sizeof(numbers), " %lx %lu %lu %lu %lu %llx %llx %llx %llx ", e->typeFlags, e->size, e->hitRate,
             e->useCount, e->exemptDelta, Ticks(e->lastAccess), Ticks(e->lastModified), Ticks(e->lastSync),
             Ticks(e->expireTime));
    return e->url + (numbers + std::string(e->headerText ? e->headerText : "(none)"));
}

// Saves the listing as a backup file and loads that into `loaded`; gives the content after each record.
std::vector<std::string> SaveAndLoad(const Listing* listing, BackupSaveOutcome* outcome, TestListing* loaded)
{
    TempFile file("brindlewick writer.cbf");
    EXPECT_EQ(SaveBackupFile(file.path.c_str(), listing, nullptr, outcome), 0u);
    FreeListing(loaded->get());
    EXPECT_EQ(LoadBackupFile(file.path.c_str(), loaded->get()), 0u);
    std::vector<std::string> contents;     // after the 36 bytes of the header, each record's length and size at 24
    std::string bytes = file.Read();
    auto dword = [&bytes](size_t at) { return at + 4 > bytes.size() ? 0 : *(const DWORD*)&bytes[at]; };
    for (size_t at = 36; dword(at); at += dword(at) + contents.back().size())
        contents.push_back(bytes.substr(at + dword(at), dword(at + 24)));
    return contents;
}

// Where the test leaves its files for the Python check: the run's output folder, through Wine's drive Z.
std::string OutputPath(const char* name)
{
    const char* folder = getenv("BRINDLEWICK_TEST_OUTPUT");
    return folder ? "Z:" + std::string(folder) + "/" + name : name;
}

// The text's ANSI bytes in hexadecimal, which the Python check decodes as code page 1252.
std::string Hex(const char* text)
{
    std::string hex;
    for (const char* c = text ? text : ""; *c; c++)
        hex += {"0123456789abcdef"[(BYTE)*c >> 4], "0123456789abcdef"[*c & 15]};
    return hex;
}

// A disk that fills up part-way, as Wine's does: the first call writes half of what it is given, the next fails.
int writeCalls = 0;
BOOL WINAPI FillUp(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (writeCalls++ == 0)
        return WriteFile(file, bytes, count / 2, written, overlapped);
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

}  // namespace

// A seeded scan of 5,000 entries saved and loaded as a new listing gives every field and every cached byte back.
TEST(BackupWriter, AScanSavedLoadsBackWithEveryFieldAndItsFiles)
{
    ClearUrlCache();
    for (int i = 0; i < 5000; i++) {
        std::string n = std::to_string(i);
        SeedEntry entry = {i % 500 ? "http://example.com/round/" + n + ".htm" : "Cookie:u@site" + n + "/",
                           std::string(i % 97, (char)('a' + i % 26)) + n, i % 500 ? NORMAL_ENTRY : COOKIE_ENTRY,
                           i % 3 ? "HTTP/1.1 200 OK\r\nX-Entry: " + n + "\r\n\r\n" : "",
                           i % 5 ? MakeFileTime(2030, 1 + i % 12, 2) : FILETIME{0, 0},
                           i % 2 ? MakeFileTime(2004, 1 + i % 12, 1 + i % 28, i % 24) : FILETIME{0, 0}, i % 4 ? "htm" : ""};
        ASSERT_NE(SeedCacheEntry(entry), "") << i;
    }
    SetCacheEntryCounters("http://example.com/round/7.htm", 9, 600);
    TestListing scan, loaded;
    FreeListing(scan.get());
    ASSERT_EQ(ScanCache(scan.get(), TRUE, NULL), 0u);
    BackupSaveOutcome outcome;
    std::vector<std::string> contents = SaveAndLoad(scan.get(), &outcome, &loaded);
    EXPECT_EQ(std::make_pair(outcome.saved, outcome.incomplete), std::make_pair(scan->count, 0L));
    ASSERT_EQ(std::make_tuple(scan->count >= 5000, loaded->count, (LONG)contents.size()),
              std::make_tuple(true, scan->count, scan->count));
    for (LONG row = 0; row < scan->count; row++) {
        const CacheEntry* s = EntryAt(scan.get(), row);
        std::ifstream cached(s->localFile, std::ios::binary);
        ASSERT_EQ(Fields(EntryAt(loaded.get(), row)), Fields(s)) << row;
        ASSERT_EQ(contents[row], std::string(std::istreambuf_iterator<char>(cached), {})) << s->localFile;
    }
    ClearUrlCache();
}

// Times of every kind load back as they were; a file not read whole, or none, is written with what was read.
TEST(BackupWriter, EntriesOfEveryKindLoadBackInEveryZone)
{
    TempFile whole("brindlewick whole.htm"), shrunk("brindlewick shrunk.gif"), gone("brindlewick gone.css");
    ASSERT_TRUE(whole.Write("abcdef"));
    ASSERT_TRUE(shrunk.Write("0123456789"));
    FILETIME local = MakeFileTime(2026, 7, 1, 12), topBit = {5, 0x80000001};
    TestListing listing, loaded;
    CacheEntry* e = AddEntry(listing.get(), "http://a/whole", whole.path.c_str(), (std::string(256, 'h') + "...").c_str());
    e->size = 6, e->lastAccess = local, e->lastModified = local, e->lastSync = local, e->expireTime = local;
    e = AddEntry(listing.get(), "http://a/shrunk", shrunk.path.c_str());
    e->size = 20, e->lastAccess = topBit, e->lastSync = topBit, e->expireTime = topBit;   // the rest none
    AddEntry(listing.get(), "http://a/gone", gone.path.c_str())->size = 3;
    AddEntry(listing.get(), "http://a/loaded", nullptr)->fromBackup = 1;
    AddEntry(listing.get(), "http://a/deleted", whole.path.c_str())->status = STATUS_DELETED;
    AddEntry(listing.get(), nullptr, whole.path.c_str());   // a stray
    BackupSaveOutcome outcome;
    EXPECT_EQ(SaveAndLoad(listing.get(), &outcome, &loaded), (std::vector<std::string>{"abcdef", "0123456789", "", ""}));
    EXPECT_EQ(std::make_tuple(outcome.saved, outcome.incomplete, loaded->count), std::make_tuple(4L, 3L, 4L));
    for (int row = 0; row < 4 && row < loaded->count; row++) {
        CacheEntry expected = *EntryAt(listing.get(), row);
        expected.size = std::vector<DWORD>{6, 10, 0, 0}[row];
        EXPECT_EQ(Fields(EntryAt(loaded.get(), row)), Fields(&expected)) << row;
    }
}

// check_csv.py reads the file left here with Python's csv module, every field against the values listed beside it.
TEST(CsvExport, TextsNumbersAndTimesForAParserInEveryZone)
{
    const struct { const char *url, *file, *header; } texts[] = {
        {"http://example.com/a,b?\"q\"=1", "C:\\cache\\a[1].htm", "HTTP/1.1 200 OK\r\nX: \"y\", z"},
        {"http://example.com/caf\xE9/\x80uro", "C:\\cache\\\xE9t\xE9.gif", "line\nbreak"},
        {nullptr, "C:\\cache\\stray.bin", nullptr}, {"Cookie:user@example.com/", nullptr, ""}};
    // UTC times as a scan finds them: winter, summer (daylight saving in Berlin, not in Adelaide), none.
    const FILETIME times[] = {MakeFileTime(2026, 12, 6, 21, 2, 48), MakeFileTime(2026, 7, 1, 23, 59, 59), {0, 0}};
    TestListing listing;
    std::ofstream expected(OutputPath("csv_expected.txt"), std::ios::binary);
    for (int i = 0; i < 9; i++) {
        CacheEntry* e = AddEntry(listing.get(), texts[i % 4].url, texts[i % 4].file, texts[i % 4].header);
        e->status = i, e->size = i ? 0xFFFFFFFF - i : 0, e->typeFlags = 0x100001 * i, e->hitRate = 3 * i;
        e->useCount = 1000 * i, e->exemptDelta = 86400 * i, e->entryNumber = i - 1;
        FILETIME* fields[] = {&e->lastAccess, &e->lastModified, &e->lastSync, &e->expireTime};
        expected << e->entryNumber << '\t' << Hex(e->url) << '\t' << i << '\t' << Hex(e->localFile) << '\t' << e->size;
        for (int t = 0; t < 4; t++) {
            const FILETIME& utc = times[(i + t) % 3];
            if (utc.dwLowDateTime || utc.dwHighDateTime)
                FileTimeToLocalFileTime(&utc, fields[t]);
            expected << '\t' << Ticks(utc) << '\t' << Ticks(*fields[t]);
        }
        expected << '\t' << e->typeFlags << '\t' << e->hitRate << '\t' << e->useCount << '\t' << e->exemptDelta << '\t'
                 << Hex(e->headerText) << "\r\n";
    }
    ASSERT_EQ(ExportListingCsv(OutputPath("csv_export.csv").c_str(), listing.get(), NULL), 0u);
    std::ifstream file(OutputPath("csv_export.csv"), std::ios::binary);
    std::string csv((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The header and the first two rows, byte for byte but for the local times, which differ by zone.
    csv = std::regex_replace(csv, std::regex("[\\d-]{10}T[\\d:]{8}[+-][\\d:]{5}"), "local");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n1,,") + 2),
              "\xEF\xBB\xBF" "Entry #,URL,Status,Local File,Size,Last Access (UTC),Last Access (local),Last Modified (UTC),"
              "Last Modified (local),Last Sync'ed (UTC),Last Sync'ed (local),Flags,HR,UC,Exempt,Expire Time (UTC),"
              "Expire Time (local),HTTP Response Header\r\n"
              "-1,\"http://example.com/a,b?\"\"q\"\"=1\",Deleted,C:\\cache\\a[1].htm,0,2026-12-06T21:02:48Z,local,"
              "2026-07-01T23:59:59Z,local,,,0x00000000,0,0,0,2026-12-06T21:02:48Z,local,"
              "\"HTTP/1.1 200 OK\r\nX: \"\"y\"\", z\"\r\n"
              "0,http://example.com/caf\xC3\xA9/\xE2\x82\xACuro,,C:\\cache\\\xC3\xA9t\xC3\xA9.gif,4294967294,"
              "2026-07-01T23:59:59Z,local,,,2026-12-06T21:02:48Z,local,0x00100001,3,1000,86400,2026-07-01T23:59:59Z,"
              "local,\"line\nbreak\"\r\n");
}

// Every writer saves through the safe file: a failure leaves the old file as it was and no temporary file.
TEST(SafeSave, AFailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    TempFile target("brindlewick safe save.old");
    TestListing listing;
    AddEntry(listing.get(), "http://example.com/a", nullptr);
    BackupSaveOutcome outcome;
    const std::pair<const char*, std::function<DWORD()>> writers[] = {
        {"report", [&] { return ExportListingText(target.path.c_str(), listing.get()); }},
        {"csv", [&] { return ExportListingCsv(target.path.c_str(), listing.get(), NULL); }},
        {"backup", [&] { return SaveBackupFile(target.path.c_str(), listing.get(), nullptr, &outcome); }}};
    // The file held open by another program is held here: the system refuses every process alike. A target held
    // or read-only is refused before any work: every write would meet the full disk.
    for (const auto& writer : writers) {
        for (DWORD failure : {ERROR_DISK_FULL, ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED}) {
            SCOPED_TRACE(std::string(writer.first) + " failing with " + std::to_string(failure));
            ASSERT_TRUE(target.Write("old bytes"));
            writeCalls = 0;
            SafeFileWrite = FillUp;
            HANDLE holder = failure == ERROR_SHARING_VIOLATION
                                ? CreateFileA(target.path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
                                : INVALID_HANDLE_VALUE;
            if (failure == ERROR_ACCESS_DENIED)
                SetFileAttributesA(target.path.c_str(), FILE_ATTRIBUTE_READONLY);
            EXPECT_EQ(writer.second(), failure);
            SafeFileWrite = WriteFile;
            CloseHandle(holder);
            SetFileAttributesA(target.path.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_EQ(target.Read(), "old bytes");
            WIN32_FIND_DATAA found;
            EXPECT_EQ(FindFirstFileA((target.path.substr(0, target.path.rfind('\\') + 1) + "~bw*.tmp").c_str(), &found),
                      INVALID_HANDLE_VALUE);    // no temporary file
        }
        EXPECT_EQ(writer.second(), 0u) << writer.first;
    }
}

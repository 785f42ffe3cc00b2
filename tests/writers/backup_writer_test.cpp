// Backup files written from a listing load back as the listing, with the bytes of every cached file.
#include <gtest/gtest.h>
#include <stdio.h>
#include <fstream>
#include <iterator>
#include "backup_builder.h"
#include "backup_reader.h"
#include "backup_writer.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "entry_status.h"
#include "listing_builder.h"

namespace {

ULONGLONG Ticks(const FILETIME& time)
{
    return ((ULONGLONG)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

// Every field a backup file keeps, as one line.
std::string Fields(const CacheEntry* e)
{
    char numbers[200];
    snprintf(numbers, sizeof(numbers), "%lx %lu %lu %lu %lu %llx %llx %llx %llx ", e->typeFlags, e->size, e->hitRate,
             e->useCount, e->exemptDelta, Ticks(e->lastAccess), Ticks(e->lastModified), Ticks(e->lastSync),
             Ticks(e->expireTime));
    return std::string(e->url) + " " + numbers + (e->headerText ? e->headerText : "(none)");
}

// The content that follows each record of a backup file, in file order.
std::vector<std::string> Contents(const std::string& path)
{
    std::vector<std::string> contents;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BackupRecordBuffer record = {};
    for (SkipBackupBytes(file, 36); ReadBackupRecord(&record, file) == 0;) {
        std::string content(RecordDword(&record, RECORD_SIZE_LOW), '\0');
        DWORD got = 0;
        ReadFile(file, &content[0], (DWORD)content.size(), &got, NULL);
        contents.push_back(content.substr(0, got));
    }
    ReleaseBackupRecordBuffer(&record);
    CloseHandle(file);
    return contents;
}

std::string FileBytes(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Loaded : TestListing {
    explicit Loaded(const std::string& path)
    {
        FreeListing(&listing);
        EXPECT_EQ(LoadBackupFile(path.c_str(), &listing), 0u);
    }
};

}  // namespace

// A seeded scan of 5,000 entries saved and loaded as a new listing gives every field and every cached byte back.
TEST(BackupWriter, AScanSavedLoadsBackWithEveryFieldAndItsFiles)
{
    ClearUrlCache();
    for (int i = 0; i < 5000; i++) {
        SeedEntry entry;
        entry.url = i % 500 ? "http://example.com/round/" + std::to_string(i) + ".htm" : "Cookie:u@site" + std::to_string(i) + "/";
        entry.type = i % 500 ? NORMAL_ENTRY : COOKIE_ENTRY;
        entry.content = std::string(i % 97, (char)('a' + i % 26)) + std::to_string(i);
        entry.header = i % 3 ? "HTTP/1.1 200 OK\r\nX-Entry: " + std::to_string(i) + "\r\n\r\n" : "";
        entry.modified = i % 2 ? MakeFileTime(2004, 1 + i % 12, 1 + i % 28, i % 24) : FILETIME{0, 0};
        entry.expire = i % 5 ? MakeFileTime(2030, 1 + i % 12, 2) : FILETIME{0, 0};
        entry.extension = i % 4 ? "htm" : "";
        ASSERT_NE(SeedCacheEntry(entry), "") << i;
    }
    SetCacheEntryCounters("http://example.com/round/7.htm", 9, 600);
    TestListing scan;
    FreeListing(scan.get());
    ASSERT_EQ(ScanCache(scan.get(), TRUE, NULL), 0u);
    ASSERT_GE(scan->count, 5000);
    TempFile file("brindlewick round trip.cbf");
    BackupSaveOutcome outcome;
    ASSERT_EQ(SaveBackupFile(file.path.c_str(), scan.get(), nullptr, &outcome), 0u);
    EXPECT_EQ(std::make_pair(outcome.saved, outcome.incomplete), std::make_pair(scan->count, 0L));
    Loaded loaded(file.path);
    std::vector<std::string> contents = Contents(file.path);
    ASSERT_EQ(std::make_pair(loaded->count, (LONG)contents.size()), std::make_pair(scan->count, scan->count));
    for (LONG row = 0; row < scan->count; row++) {
        const CacheEntry* s = EntryAt(scan.get(), row);
        ASSERT_EQ(Fields(EntryAt(loaded.get(), row)), Fields(s)) << row;
        ASSERT_EQ(contents[row], FileBytes(s->localFile)) << s->localFile;
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
    TestListing listing;
    CacheEntry* e = AddEntry(listing.get(), "http://a/whole", whole.path.c_str(), (std::string(256, 'h') + "...").c_str());
    e->size = 6, e->lastAccess = local, e->lastModified = local, e->lastSync = local, e->expireTime = local;
    e = AddEntry(listing.get(), "http://a/shrunk", shrunk.path.c_str());
    e->size = 20, e->lastAccess = topBit, e->lastSync = topBit, e->expireTime = topBit;   // the rest none
    AddEntry(listing.get(), "http://a/gone", gone.path.c_str())->size = 3;
    AddEntry(listing.get(), "http://a/loaded", nullptr)->fromBackup = 1;
    AddEntry(listing.get(), "http://a/deleted", whole.path.c_str())->status = STATUS_DELETED;
    AddEntry(listing.get(), nullptr, whole.path.c_str());   // a stray
    TempFile file("brindlewick kinds.cbf");
    BackupSaveOutcome outcome;
    ASSERT_EQ(SaveBackupFile(file.path.c_str(), listing.get(), nullptr, &outcome), 0u);
    EXPECT_EQ(std::make_pair(outcome.saved, outcome.incomplete), std::make_pair(4L, 3L));
    EXPECT_EQ(Contents(file.path), (std::vector<std::string>{"abcdef", "0123456789", "", ""}));
    Loaded loaded(file.path);
    ASSERT_EQ(loaded->count, 4);
    for (int row = 0; row < 4; row++) {
        CacheEntry expected = *EntryAt(listing.get(), row);
        expected.size = std::vector<DWORD>{6, 10, 0, 0}[row];
        EXPECT_EQ(Fields(EntryAt(loaded.get(), row)), Fields(&expected)) << row;
    }
}

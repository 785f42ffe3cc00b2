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
    std::vector<std::string> contents;
    HANDLE handle = CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BackupRecordBuffer record = {};
    for (SkipBackupBytes(handle, 36); ReadBackupRecord(&record, handle) == 0;) {
        contents.emplace_back(RecordDword(&record, RECORD_SIZE_LOW), '\0');
        DWORD got = 0;
        ReadFile(handle, &contents.back()[0], (DWORD)contents.back().size(), &got, NULL);
        contents.back().resize(got);
    }
    ReleaseBackupRecordBuffer(&record);
    CloseHandle(handle);
    return contents;
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

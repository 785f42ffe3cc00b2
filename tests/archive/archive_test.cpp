// Archives that hold what the cache held, whatever the zone or season they are written and read in.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <sstream>
#include "backup_builder.h"
#include "backup_reader.h"
#include "backup_writer.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "columns.h"
#include "listing_builder.h"
#include "run_program.h"
#include "text_report.h"

namespace {

const std::string Site = "http://archive.example.com/";

// A header as servers send them, of 2,000 bytes, with CR LF and bytes of 0x80 and above.
std::string LongHeader()
{
    std::string header = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=windows-1252\r\n";
    for (int line = 0; header.size() < 1960; line++) {
        header += "Set-Cookie: c" + std::to_string(line) + "=";
        for (int byte = 0x80 + line % 64; byte < 0x80 + line % 64 + 24; byte++)
            header += (char)byte;
        header += "; path=/\r\n";
    }
    header.resize(1996);
    return header + "\r\n\r\n";
}

const CacheEntry* EntryOf(Listing* listing, const std::string& url)
{
    for (LONG row = 0; row < listing->count; row++)
        if (EntryAt(listing, row)->url && url == EntryAt(listing, row)->url)
            return EntryAt(listing, row);
    return nullptr;
}

// The status words of a report, one per entry, in its order.
std::vector<std::string> ReportWords(const std::string& report)
{
    std::vector<std::string> words;
    std::istringstream lines(report.substr(report.find("-\r\n") + 3));
    for (std::string line; std::getline(lines, line);)
        words.push_back(line.substr(6, line.find(' ', 6) - 6));
    return words;
}

}  // namespace

// A whole header and a missing Last Modified go through /backup in one zone, /since in another, a load and a save
// of the loaded file, and a listing filled before a daylight-saving change and saved after it: each archive holds
// the header byte for byte and zero for the missing time, and every comparison finds nothing changed.
TEST(Archive, WholeHeadersAndOneClockSurviveEveryRoadInEveryZone)
{
    ClearUrlCache();
    const std::string header = LongHeader();
    ASSERT_NE(SeedCacheEntry(SeedEntry(Site + "whole.htm", "whole", NORMAL_ENTRY, header)), "");
    ASSERT_NE(SeedCacheEntry(SeedEntry(Site + "plain.htm", "plain", NORMAL_ENTRY, "HTTP/1.1 200 OK\r\n\r\n")), "");
    TempFile night("brindlewick night.cbf"), morning("brindlewick morning.cbf"), again("brindlewick again.cbf"),
        season("brindlewick season.cbf"), report("brindlewick since.txt");
    auto checkArchive = [&](const TempFile& file) {
        SCOPED_TRACE(file.path);
        TestListing loaded;
        FreeListing(loaded.get());
        ASSERT_EQ(LoadBackupFile(file.path.c_str(), loaded.get()), 0u);
        const CacheEntry* whole = EntryOf(loaded.get(), Site + "whole.htm");
        ASSERT_TRUE(whole && whole->wholeHeader);
        EXPECT_EQ(whole->wholeHeader, header);
        EXPECT_EQ(whole->lastModified.dwLowDateTime | whole->lastModified.dwHighDateTime, 0u);
        char cell[CELL_TEXT_BYTES];
        EXPECT_STREQ(FormatCell(whole, 6, cell), "None");
    };
    auto checkUnchangedSince = [&](const TempFile& file, const char* zone) {
        SCOPED_TRACE(file.path + " compared in " + (zone ? zone : "this zone"));
        ASSERT_EQ(RunProgram("/since \"" + file.path + "\" /report \"" + report.path + "\"", zone), 0);
        EXPECT_EQ(ReportWords(report.Read()), std::vector<std::string>(2, ""));
    };

    ASSERT_EQ(RunProgram("/backup \"" + night.path + "\"", "America/New_York"), 0);
    checkArchive(night);
    ASSERT_EQ(RunProgram("/since \"" + night.path + "\" /backup \"" + morning.path + "\"", "Australia/Adelaide"), 0);
    checkUnchangedSince(night, "Europe/Berlin");
    checkArchive(morning);

    // A loaded archive saved again keeps the headers it held: here a stale header, and no content (size 0). A
    // comparison with it describes the cache of now: the next archive has the cache's header and size.
    TestListing loaded;
    FreeListing(loaded.get());
    ASSERT_EQ(LoadBackupFile(morning.path.c_str(), loaded.get()), 0u);
    char stale[] = "HTTP/1.1 200 OK\r\nAge: 1\r\n\r\n";
    const_cast<CacheEntry*>(EntryOf(loaded.get(), Site + "whole.htm"))->wholeHeader = stale;
    BackupSaveOutcome outcome;
    ASSERT_EQ(SaveBackupFile(again.path.c_str(), loaded.get(), nullptr, &outcome), 0u);
    FreeListing(loaded.get());
    ASSERT_EQ(LoadBackupFile(again.path.c_str(), loaded.get()), 0u);
    EXPECT_STREQ(EntryOf(loaded.get(), Site + "whole.htm")->wholeHeader, stale);
    EXPECT_EQ(EntryOf(loaded.get(), Site + "whole.htm")->size, 0u);
    checkUnchangedSince(again, "America/New_York");
    ASSERT_EQ(RunProgram("/since \"" + again.path + "\" /report \"" + report.path + "\" /backup \"" + morning.path +
                         "\""), 0);
    checkArchive(morning);
    std::string lines = report.Read();
    size_t whole = lines.rfind("\n", lines.find(Site + "whole.htm")) + 1;
    EXPECT_EQ(lines.substr(whole + 23, 6), "     5");     // the report's Size column

    // Filled under an offset an hour off the one in force now, as before a daylight-saving change: the times go
    // back to UTC with the offset they were converted with.
    TestListing scanned;
    FreeListing(scanned.get());
    ASSERT_EQ(ScanCache(scanned.get(), FALSE, nullptr), 0u);
    Listing earlier = {};
    earlier.zone = scanned->zone;
    earlier.zone.offset += 36000000000ULL;
    TakeClockOf(scanned.get(), &earlier);
    ASSERT_EQ(SaveBackupFile(season.path.c_str(), scanned.get(), nullptr, &outcome), 0u);
    checkUnchangedSince(season, nullptr);
}

// A cached file that shrinks while it is copied is written as far as it was read, its record saying so, and the
// entry counts as incomplete; the records after it stay readable.
TEST(Archive, AFileThatShrinksDuringTheSaveIsWrittenAsRead)
{
    TempFile cached("brindlewick shrinking.bin"), target("brindlewick shrinking.cbf");
    ASSERT_TRUE(cached.Write(std::string(200000, 'x')));
    TestListing listing;
    AddEntry(listing.get(), "http://example.com/shrinks", cached.path.c_str())->size = 200000;
    AddEntry(listing.get(), "http://example.com/after", nullptr);
    SaveProgress shrink = {[](LONG, LONG, ULONGLONG written, void* path) {
                               if (written > 65536) {
                                   HANDLE file = CreateFileA((const char*)path, GENERIC_WRITE,
                                                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                                                             NULL);
                                   SetFilePointer(file, 10, NULL, FILE_BEGIN);
                                   SetEndOfFile(file);
                                   CloseHandle(file);
                               }
                               return TRUE;
                           },
                           (void*)cached.path.c_str()};
    BackupSaveOutcome outcome;
    ASSERT_EQ(SaveBackupFile(target.path.c_str(), listing.get(), &shrink, &outcome), 0u);
    EXPECT_EQ(outcome.saved, 2);
    EXPECT_EQ(outcome.incomplete, 2);
    TestListing loaded;
    FreeListing(loaded.get());
    ASSERT_EQ(LoadBackupFile(target.path.c_str(), loaded.get()), 0u);
    ASSERT_EQ(loaded->count, 2);
    EXPECT_EQ(EntryAt(loaded.get(), 0)->size, 65536u);
    EXPECT_STREQ(EntryAt(loaded.get(), 1)->url, "http://example.com/after");
}

// Every target the 8-bit calls take can be written, 255 characters long, and a name after a switch is the file's
// whatever it starts with: a Unix path under Wine.
TEST(Archive, LongTargetsAndUnixPathsAreWritten)
{
    TempFile probe("");
    TempFile longest((std::string(255 - probe.path.size() - 4, 'n') + ".txt").c_str());
    ASSERT_EQ(longest.path.size(), 255u);
    TestListing listing;
    AddEntry(listing.get(), "http://example.com/", nullptr);
    EXPECT_EQ(ExportListingText(longest.path.c_str(), listing.get()), 0u);
    EXPECT_NE(longest.Read().find("http://example.com/"), std::string::npos);
    DeleteFileA(longest.path.c_str());
    ClearUrlCache();
    EXPECT_EQ(RunProgram("/report \"" + longest.path + "\""), 0);
    EXPECT_NE(longest.Read().find("Index Status"), std::string::npos);
    const char* output = getenv("BRINDLEWICK_TEST_OUTPUT");
    ASSERT_TRUE(output && output[0] == '/');
    std::string unixPath = std::string(output) + "/unix path report.txt";
    EXPECT_EQ(RunProgram("/report \"" + unixPath + "\""), 0);
    std::string dosPath = "Z:" + unixPath;
    std::replace(dosPath.begin(), dosPath.end(), '/', '\\');
    EXPECT_NE(GetFileAttributesA(dosPath.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(dosPath.c_str());
}

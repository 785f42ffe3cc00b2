// A load reads the file ahead in large pieces: records and content that straddle
// the pieces, content longer than a piece and records longer than a piece all come
// out as reading the file record by record gives them.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "backup_builder.h"
#include "backup_reader.h"
#include "listing_builder.h"

namespace {

struct Expected {
    std::string url;
    std::string header;
    DWORD size;
};

}  // namespace

TEST(BackupReadAhead, EveryRecordComesOutWhateverItsPlaceInThePieces)
{
    BackupFileSpec spec;
    std::vector<Expected> expected;
    DWORD state = 7;
    auto next = [&state](DWORD bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % bound;
    };
    for (int i = 0; i < 400; i++) {
        BackupRecordSpec record;
        record.url = "http://example.com/" + std::to_string(i) + std::string(next(300), 'p');
        // Now and then a header that makes the record longer than a piece.
        std::string header = std::string(next(20) == 0 ? 70000 + next(9000) : next(600), 'h');
        record.header = header;
        // Content from none to more than two pieces.
        DWORD size = next(4) == 0 ? next(150000) : next(3000);
        record.content = std::string(size, 'c');
        spec.records.push_back(record);
        expected.push_back({*record.url, header.size() >= 256 ? header.substr(0, 256) + "..." : header, size});
    }
    TempFile file("brindlewick-read-ahead.cbf");
    ASSERT_TRUE(file.Write(BackupFileBytes(spec)));

    Listing listing = {};
    LoadBackupFile(file.path.c_str(), &listing);
    ASSERT_EQ(listing.error, 0u);
    ASSERT_EQ(listing.count, (LONG)expected.size());
    for (LONG row = 0; row < listing.count; row++) {
        const CacheEntry* entry = EntryAt(&listing, row);
        ASSERT_STREQ(entry->url, expected[row].url.c_str()) << row;
        ASSERT_STREQ(entry->headerText, expected[row].header.c_str()) << row;
        ASSERT_EQ(entry->size, expected[row].size) << row;
    }
    FreeListing(&listing);
}

TEST(BackupReadAhead, ContentRunningPastTheEndIsRefusedAsBefore)
{
    BackupFileSpec spec;
    BackupRecordSpec record;
    record.content = std::string(100, 'c');
    record.sizeLow = 200000;        // says more content than the file holds
    spec.records = {record, record};
    TempFile file("brindlewick-read-ahead-short.cbf");
    ASSERT_TRUE(file.Write(BackupFileBytes(spec)));
    Listing listing = {};
    LoadBackupFile(file.path.c_str(), &listing);
    EXPECT_EQ(listing.error, 13u);
    EXPECT_EQ(listing.count, 0);
    FreeListing(&listing);
}

#include <gtest/gtest.h>
#include <string.h>
#include <functional>
#include <string>
#include <vector>
#include "backup_reader.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "listing_builder.h"
#include "heap.h"

namespace {

// What a listing looked like before a load that must not touch it.
const LONG UNTOUCHED_STRAYS = 3;
const DWORD UNTOUCHED_FLAGS = 1;

struct BackupLoad : ::testing::Test {
    TempFile file{"brindlewick-load.cbf"};
    Listing listing = {};
    HeapFailureGuard heapGuard;

    void TearDown() override { FreeListing(&listing); }

    void LoadBytes(const std::string& bytes)
    {
        ASSERT_TRUE(file.Write(bytes));
        LoadBackupFile(file.path.c_str(), &listing);
    }
    void Load(const BackupFileSpec& spec) { LoadBytes(BackupFileBytes(spec)); }
    // A freed listing that carries marks a fill would reset.
    void MarkUntouched()
    {
        FreeListing(&listing);
        listing.strayCount = UNTOUCHED_STRAYS;
        listing.flags = UNTOUCHED_FLAGS;
        listing.clusterSize = 4096;
        listing.error = 0;
    }
    void ExpectUntouched(DWORD error)
    {
        EXPECT_EQ(listing.error, error);
        EXPECT_EQ(listing.records, nullptr);
        EXPECT_EQ(listing.strings, nullptr);
        EXPECT_EQ(listing.count, 0);
        EXPECT_EQ(listing.strayCount, UNTOUCHED_STRAYS);
        EXPECT_EQ(listing.flags, UNTOUCHED_FLAGS);
        EXPECT_EQ(listing.clusterSize, 4096u);
    }
    CacheEntry* Row(LONG row) { return EntryAt(&listing, row); }
};

bool SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

BackupRecordSpec Page(const std::string& url)
{
    BackupRecordSpec record;
    record.url = url;
    return record;
}

}  // namespace

TEST_F(BackupLoad, RecordsBecomeEntriesWithConvertedTimesAndNoLocalFile)
{
    BackupRecordSpec page;
    page.url = "http://example.com/a/page.htm";
    page.extension = "htm";
    page.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    page.type = 0x00000001;
    page.useCount = 2;
    page.hitRate = 9;
    page.content = std::string(300, 'c');
    page.sizeHigh = 5;
    page.modified = MakeFileTime(2005, 3, 7, 9, 5, 7);
    page.expire = {0, 0};
    page.access = MakeFileTime(2006, 1, 2, 3, 4, 5);
    page.sync = MakeFileTime(2006, 1, 2, 3, 4, 6);
    page.exemptDelta = 86400;
    BackupRecordSpec cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = 0x00100001;
    cookie.modified = {5, 0x80000001};               // top bit set: no modified time
    cookie.expire = MakeFileTime(2030, 1, 1);
    BackupFileSpec spec;
    spec.records = {page, cookie, Page("http://example.com/last.gif")};

    listing.clusterSize = 4096;
    Load(spec);
    ASSERT_EQ(listing.error, 0u);
    ASSERT_EQ(listing.count, 3);
    EXPECT_EQ(listing.clusterSize, 4096u);
    EXPECT_EQ(listing.strayCount, 0);
    EXPECT_EQ(listing.flags, LISTING_HAS_COOKIE);

    for (LONG row = 0; row < 3; row++) {
        SCOPED_TRACE(row);
        CacheEntry* entry = Row(row);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->status, 1);
        EXPECT_EQ(entry->localFile, nullptr);
        EXPECT_EQ(entry->fromBackup, 1u);
        EXPECT_EQ(entry->entryNumber, row);
        EXPECT_STREQ(entry->url, spec.records[row].url->c_str());
    }
    CacheEntry* first = Row(0);
    EXPECT_STREQ(first->headerText, "HTTP/1.1 200 OK  Content-Type: text/html  ");
    EXPECT_EQ(first->typeFlags, 1u);
    EXPECT_EQ(first->size, 300u);
    EXPECT_EQ(first->useCount, 2u);
    EXPECT_EQ(first->hitRate, 9u);
    EXPECT_EQ(first->exemptDelta, 86400u);
    EXPECT_TRUE(SameTime(first->lastModified, page.modified));   // TZ=UTC: local equals UTC
    EXPECT_TRUE(SameTime(first->lastAccess, page.access));
    EXPECT_TRUE(SameTime(first->lastSync, page.sync));
    EXPECT_TRUE(SameTime(first->expireTime, {0, 0}));
    CacheEntry* second = Row(1);
    EXPECT_EQ(second->typeFlags, 0x00100001u);
    EXPECT_EQ(second->headerText, nullptr);
    EXPECT_TRUE(SameTime(second->lastModified, {0, 0}));
    EXPECT_TRUE(SameTime(second->expireTime, cookie.expire));
}

TEST_F(BackupLoad, EmptyFileGivesEmptyListing)
{
    MarkUntouched();
    Load(BackupFileSpec());
    EXPECT_EQ(listing.error, 0u);
    EXPECT_NE(listing.records, nullptr);
    EXPECT_EQ(listing.count, 0);
    EXPECT_EQ(listing.strayCount, 0);
    EXPECT_EQ(listing.flags, 0u);
}

TEST_F(BackupLoad, BlockTableIsPassedOver)
{
    // Blocks full of 0xFF would read as a record length of 0xFFFFFFFF.
    for (size_t blocks : {0, 1, 2, 5}) {
        SCOPED_TRACE(blocks);
        BackupFileSpec spec;
        spec.blocks.assign(blocks, std::string(168, '\xFF'));
        spec.records = {Page("http://example.com/one")};
        std::vector<size_t> starts;
        std::string bytes = BackupFileBytes(spec, &starts);
        EXPECT_EQ(starts[0], 36 + 168 * blocks);
        FreeListing(&listing);
        LoadBytes(bytes);
        EXPECT_EQ(listing.error, 0u);
        ASSERT_EQ(listing.count, 1);
        EXPECT_STREQ(Row(0)->url, "http://example.com/one");
    }
    BackupFileSpec two;
    two.blocks.assign(2, "");
    std::vector<size_t> starts;
    BackupFileBytes(two, &starts);
    EXPECT_EQ(starts[0], 372u);
}

TEST_F(BackupLoad, FilesThatAreNotBackupsLeaveTheListingUntouched)
{
    // `cut`: the file ends after that many bytes; -1 keeps it whole.
    struct Case { const char* name; std::function<void(BackupFileSpec&)> shape; int cut; DWORD error; };
    const Case cases[] = {
        {"layout 80", [](BackupFileSpec&) {}, -1, 0},
        {"layout 0", [](BackupFileSpec& s) { s.layout = 0; }, -1, 0},
        {"layout 81", [](BackupFileSpec& s) { s.layout = 81; }, -1, 13},
        {"layout 0xFFFF", [](BackupFileSpec& s) { s.layout = 0xFFFF; }, -1, 13},
        {"magic without its NUL", [](BackupFileSpec& s) { s.magic = "QZTIFARCHIVE1X"; }, -1, 13},
        {"magic in lower case", [](BackupFileSpec& s) { s.magic = std::string("qztifarchive1", 14); }, -1, 13},
        {"other version", [](BackupFileSpec& s) { s.magic = std::string("QZTIFARCHIVE2", 14); }, -1, 13},
        {"empty file", [](BackupFileSpec&) {}, 0, 13},
        {"magic only", [](BackupFileSpec&) {}, 14, 13},
        {"header cut short", [](BackupFileSpec&) {}, 31, 13},
        {"ends before the block count", [](BackupFileSpec&) {}, 35, 13},
        {"block table past the end", [](BackupFileSpec& s) { s.blockCount = 1; }, -1, 13},
        // 168 × 0x20000000 is 0x15'0000'0000: cut to 32 bits it would be 0 and the
        // record right after the count would be read.
        {"block table of 2^29 blocks", [](BackupFileSpec& s) {
             s.blockCount = 0x20000000;
             s.records = {Page("http://example.com/")};
         }, -1, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupFileSpec spec;
        c.shape(spec);
        std::string bytes = BackupFileBytes(spec);
        if (c.cut >= 0)
            bytes.resize(c.cut);
        MarkUntouched();
        LoadBytes(bytes);
        if (c.error)
            ExpectUntouched(c.error);
        else
            EXPECT_EQ(listing.error, 0u);
    }
    MarkUntouched();
    LoadBackupFile((file.path + ".missing").c_str(), &listing);
    ExpectUntouched(ERROR_FILE_NOT_FOUND);
}

TEST_F(BackupLoad, HeaderTextIsFoundAfterTheExtensionCutAndFlattened)
{
    std::string text300;
    for (int i = 0; i < 300; i++)
        text300 += (char)('a' + i % 26);
    struct Case { const char* name; std::optional<std::string> extension, header; std::string expected; bool none; };
    const Case cases[] = {
        {"no header", "htm", std::nullopt, "", true},
        {"header after extension", "htm", std::string("HTTP/1.1 200 OK"), "HTTP/1.1 200 OK", false},
        {"header without extension", std::nullopt, std::string("HTTP/1.1 200 OK"), "HTTP/1.1 200 OK", false},
        {"empty header", std::nullopt, std::string(""), "", false},
        {"CR LF", std::string("gif"), std::string("A\r\nB\rC\n"), "A  B C ", false},
        {"255 characters", std::nullopt, text300.substr(0, 255), text300.substr(0, 255), false},
        {"256 characters", std::nullopt, text300.substr(0, 256), text300.substr(0, 256) + "...", false},
        {"300 characters", "htm", text300, text300.substr(0, 256) + "...", false},
        {"line break at the cut", std::nullopt, std::string(255, 'h') + "\r\n", std::string(255, 'h') + " ...", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupRecordSpec record = Page("http://example.com/h");
        record.extension = c.extension;
        record.header = c.header;
        BackupFileSpec spec;
        spec.records = {record};
        FreeListing(&listing);
        Load(spec);
        ASSERT_EQ(listing.error, 0u);
        ASSERT_EQ(listing.count, 1);
        EXPECT_STREQ(Row(0)->url, "http://example.com/h");
        if (c.none)
            EXPECT_EQ(Row(0)->headerText, nullptr);
        else
            EXPECT_STREQ(Row(0)->headerText, c.expected.c_str());
    }
}

TEST_F(BackupLoad, ContentOfSizeLowIsSkippedAndSizeHighIgnored)
{
    // The content looks like a record of its own, which a reader that did not skip
    // it would list.
    BackupRecordSpec first = Page("http://example.com/big");
    first.content = RecordBytes(Page("http://example.com/decoy"));
    first.content.resize(1000, '\0');
    first.sizeHigh = 7;
    BackupFileSpec spec;
    spec.records = {first, Page("http://example.com/after")};
    std::vector<size_t> starts;
    std::string bytes = BackupFileBytes(spec, &starts);
    ASSERT_EQ(starts[1] - starts[0], 80 + strlen("http://example.com/big") + 1 + 1000);
    LoadBytes(bytes);
    ASSERT_EQ(listing.error, 0u);
    ASSERT_EQ(listing.count, 2);
    EXPECT_EQ(Row(0)->size, 1000u);
    EXPECT_STREQ(Row(1)->url, "http://example.com/after");
}

TEST_F(BackupLoad, BrokenRecordsFreeTheListing)
{
    const DWORD bigLengths[] = {0x7FFFFFFF, 0xFFFFFFFF, 0xFFFFF000};
    struct Case { std::string name; std::function<void(BackupRecordSpec&, BackupFileSpec&)> shape; };
    std::vector<Case> cases;
    for (DWORD length : {1, 2, 3, 4, 79})
        cases.push_back({"length " + std::to_string(length),
                         [length](BackupRecordSpec& r, BackupFileSpec&) { r.length = length; }});
    for (DWORD length : bigLengths)
        cases.push_back({"length " + std::to_string(length),
                         [length](BackupRecordSpec& r, BackupFileSpec&) { r.length = length; }});
    cases.push_back({"length one beyond the file", [](BackupRecordSpec& r, BackupFileSpec& s) {
        s.endMarker = false;
        r.length = (DWORD)RecordBytes(r).size() + 1;
    }});
    cases.push_back({"no URL", [](BackupRecordSpec& r, BackupFileSpec&) { r.url.reset(); }});
    cases.push_back({"URL without its NUL", [](BackupRecordSpec& r, BackupFileSpec&) {
        r.length = (DWORD)(80 + r.url->size());
    }});
    cases.push_back({"extension past the end", [](BackupRecordSpec& r, BackupFileSpec&) {
        r.extension = "htm";
        r.length = (DWORD)(80 + r.url->size() + 1 + 2);
    }});
    cases.push_back({"header past the end", [](BackupRecordSpec& r, BackupFileSpec&) {
        r.header = "HTTP/1.1 200 OK";
        r.length = (DWORD)(80 + r.url->size() + 1 + 5);
    }});
    cases.push_back({"no zero length", [](BackupRecordSpec&, BackupFileSpec& s) { s.endMarker = false; }});
    cases.push_back({"content past the end", [](BackupRecordSpec& r, BackupFileSpec& s) {
        s.endMarker = false;
        r.content = "abc";
        r.sizeLow = 4;
    }});
    cases.push_back({"content of 2^31 bytes", [](BackupRecordSpec& r, BackupFileSpec&) { r.sizeLow = 0x80000000; }});
    cases.push_back({"content of 2^32 - 1 bytes", [](BackupRecordSpec& r, BackupFileSpec&) { r.sizeLow = 0xFFFFFFFF; }});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A good cookie record first: its entry and its cookie mark must go too.
        BackupRecordSpec cookie = Page("Cookie:user@example.com/");
        cookie.type = 0x00100001;
        BackupRecordSpec broken = Page("http://example.com/broken");
        BackupFileSpec spec;
        c.shape(broken, spec);
        spec.records = {cookie, broken};
        FreeListing(&listing);
        Load(spec);
        EXPECT_EQ(listing.error, 13u);
        EXPECT_EQ(listing.records, nullptr);
        EXPECT_EQ(listing.strings, nullptr);
        EXPECT_EQ(listing.count, 0);
        EXPECT_EQ(listing.flags, 0u);
    }
}

TEST_F(BackupLoad, OutOfMemoryAnywhereFreesTheListingWithError8)
{
    // Enough records and text for a second record block, a larger pointer array, a
    // second string block and a grown record buffer.
    BackupFileSpec spec;
    for (int i = 0; i < 160; i++) {
        BackupRecordSpec record = Page("http://example.com/" + std::string(i == 0 ? 5000 : 500, 'u') + std::to_string(i));
        record.header = "HTTP/1.1 200 OK";
        spec.records.push_back(record);
    }
    ASSERT_TRUE(file.Write(BackupFileBytes(spec)));
    LONG failures = 0;
    for (LONG k = 0; k < 50; k++) {
        SCOPED_TRACE(k);
        FreeListing(&listing);
        FailHeapAfter(k);
        LoadBackupFile(file.path.c_str(), &listing);
        FailHeapAfter(-1);
        if (listing.error == 0) {
            EXPECT_EQ(listing.count, 160);
            break;
        }
        failures++;
        EXPECT_EQ(listing.error, 8u);
        EXPECT_EQ(listing.records, nullptr);
        EXPECT_EQ(listing.count, 0);
    }
    EXPECT_EQ(listing.error, 0u);
    EXPECT_GE(failures, 7);
}

TEST_F(BackupLoad, SeeksBeyondTwoGigabytesUseTheWholeDistance)
{
    // A sparse file: a block table of 2,184,000,000 bytes, then a record whose content
    // claims 2,415,919,104 bytes, then a second record. Cut to 32 signed bits either
    // distance would turn into a seek backwards.
    const DWORD blocks = 13000000;
    const DWORD content = 0x90000000;
    BackupRecordSpec first = Page("http://example.com/huge");
    first.sizeLow = content;
    BackupFileSpec head;
    head.blockCount = blocks;
    head.endMarker = false;
    std::string start = BackupFileBytes(head);
    std::string firstBytes = RecordBytes(first);
    BackupFileSpec tail;
    tail.records = {Page("http://example.com/after")};
    std::string rest = BackupFileBytes(tail).substr(36);

    HANDLE handle = CreateFileA(file.path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    auto writeAt = [handle](ULONGLONG offset, const std::string& bytes) {
        LARGE_INTEGER at;
        at.QuadPart = (LONGLONG)offset;
        DWORD written = 0;
        return SetFilePointerEx(handle, at, NULL, FILE_BEGIN) &&
               WriteFile(handle, bytes.data(), (DWORD)bytes.size(), &written, NULL) && written == bytes.size();
    };
    ULONGLONG firstAt = 36 + 168ull * blocks;
    bool written = writeAt(0, start) && writeAt(firstAt, firstBytes) &&
                   writeAt(firstAt + firstBytes.size() + content, rest);
    CloseHandle(handle);
    ASSERT_TRUE(written);

    LoadBackupFile(file.path.c_str(), &listing);
    EXPECT_EQ(listing.error, 0u);
    ASSERT_EQ(listing.count, 2);
    EXPECT_EQ(Row(0)->size, content);
    EXPECT_STREQ(Row(1)->url, "http://example.com/after");
}

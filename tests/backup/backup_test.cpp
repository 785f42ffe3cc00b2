// Loading cache backup files: the header and block table, the records, and what is refused.
#include <gtest/gtest.h>
#include <string.h>
#include <random>
#include "backup_builder.h"
#include "backup_reader.h"
#include "heap.h"
#include "listing_builder.h"

namespace {

BackupRecordSpec Page(const std::string& url, DWORD type = 1)
{
    BackupRecordSpec record;
    record.url = url;
    record.type = type;
    return record;
}

// Loads file images into a listing that starts freed, carrying marks that a fill resets.
struct BackupLoad : ::testing::Test {
    TempFile file{"brindlewick-load.cbf"};
    Listing listing = {};
    HeapFailureGuard guard;
    ~BackupLoad() { FreeListing(&listing); }

    void Load(const std::string& bytes, const std::string& suffix = "")
    {
        FreeListing(&listing);
        listing.strayCount = 3, listing.flags = 1, listing.clusterSize = 4096, listing.error = 0;
        ASSERT_TRUE(file.Write(bytes));
        LoadBackupFile((file.path + suffix).c_str(), &listing);
    }
    void Load(const std::vector<BackupRecordSpec>& r) { BackupFileSpec s; s.records = r; Load(BackupFileBytes(s)); }
    // Refused at the header, only the error changes; broken past it, the listing is freed.
    void ExpectRefused(DWORD error, bool atHeader)
    {
        EXPECT_EQ(listing.error, error);
        EXPECT_TRUE(!listing.records && !listing.strings && listing.count == 0 && listing.clusterSize == 4096);
        EXPECT_EQ(listing.flags, atHeader ? 1u : 0u);   // a cookie read before the break counts for nothing
        EXPECT_EQ(listing.strayCount, atHeader ? 3 : 0);
    }
};

// Reads the records of a file image one by one.
struct RecordReader {
    TempFile file{"brindlewick-record.cbf"};
    HANDLE handle;
    BackupRecordBuffer buffer = {};
    explicit RecordReader(const std::vector<BackupRecordSpec>& records)
    {
        BackupFileSpec backup;
        backup.records = records;
        file.Write(BackupFileBytes(backup));
        handle = CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        SetFilePointer(handle, 36, NULL, FILE_BEGIN);   // the first record
    }
    ~RecordReader() { ReleaseBackupRecordBuffer(&buffer), CloseHandle(handle); }
    DWORD Next() { return ReadBackupRecord(&buffer, handle); }
};

// What is wrong with a listing loaded from a file of `size` bytes, or "".
std::string Fault(const Listing& listing, size_t size)
{
    if (LargestHeapRequest() > std::max(size + 4096 + sizeof(ArenaBlock), sizeof(Arena) + 65504))
        return "asked for " + std::to_string(LargestHeapRequest()) + " bytes";
    if (listing.error != 0)
        return listing.records || listing.strings || listing.count ? "failed but kept entries" : "";
    for (LONG row = 0; row < listing.count; row++) {
        const CacheEntry* e = EntryAt(&listing, row);
        if (!e || !e->url || strlen(e->url) >= size || e->entryNumber != row || e->localFile ||
            (e->headerText && strlen(e->headerText) > 259))
            return "entry " + std::to_string(row) + " is not sound";
    }
    return "";
}

}  // namespace

TEST_F(BackupLoad, RecordsBecomeEntriesAfterTheBlockTable)
{
    BackupRecordSpec page = Page("http://example.com/page.htm"), cookie = Page("Cookie:user@example.com/", 0x100001);
    page.useCount = 2, page.hitRate = 9, page.exemptDelta = 86400, page.sizeHigh = 7;    // the high half is ignored
    page.expire = {1, 0x01D00000}, page.access = {2, 0x01C52300}, page.sync = {3, 0x01C52300};
    page.modified = {5, 0x80000001};                                                     // top bit set: no time
    page.content = RecordBytes(Page("http://example.com/decoy")) + std::string(900, 0);  // a record unless skipped
    BackupFileSpec backup;
    backup.records = {page, cookie};
    backup.blocks.assign(2, std::string(168, '\xFF'));                                   // as a length, 2^32 - 1
    std::vector<size_t> starts;
    Load(BackupFileBytes(backup, &starts));
    EXPECT_EQ(starts[0], 372u);
    ASSERT_EQ(listing.count, 2);
    EXPECT_EQ(listing.flags, LISTING_HAS_COOKIE);
    const CacheEntry *e = EntryAt(&listing, 0), *c = EntryAt(&listing, 1);
    EXPECT_STREQ(e->url, "http://example.com/page.htm");
    EXPECT_EQ(std::vector<DWORD>({e->typeFlags, e->size, e->useCount, e->hitRate, e->exemptDelta, c->typeFlags}),
              std::vector<DWORD>({1, (DWORD)page.content.size(), 2, 9, 86400, 0x100001}));
    // TZ=UTC: local times are the file's.
    FILETIME got[] = {e->lastModified, e->expireTime, e->lastAccess, e->lastSync};
    FILETIME want[] = {{0, 0}, page.expire, page.access, page.sync};
    EXPECT_EQ(memcmp(got, want, sizeof got), 0);
}

TEST_F(BackupLoad, HeaderTextFollowsTheExtensionAndIsCutAndFlattened)
{
    std::string text(300, 'h');
    struct Case { const char* name; std::optional<std::string> extension, header; std::string expected; } cases[] = {
        {"none", std::string("htm"), std::nullopt, "<none>"},
        {"CR LF, after the extension", std::string("gif"), std::string("A\r\nB\rC\n"), "A  B C "},
        {"255 characters", std::nullopt, text.substr(0, 255), text.substr(0, 255)},
        {"256 characters", std::nullopt, text.substr(0, 256), text.substr(0, 256) + "..."},
        {"300 characters", std::string("htm"), text, text.substr(0, 256) + "..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupRecordSpec record = Page("http://example.com/h");
        record.extension = c.extension;
        record.header = c.header;
        Load({record});
        ASSERT_EQ(listing.count, 1);
        const char* header = EntryAt(&listing, 0)->headerText;
        EXPECT_EQ(header ? header : "<none>", c.expected);
    }
}

// A good cookie record, then a second one; the file ends after `cut` bytes when given (every other
// file here has layout 80). Refused at its header, the listing is left alone; past it, it is freed.
TEST_F(BackupLoad, RefusedFilesAndBrokenRecordsGive13)
{
    typedef BackupFileSpec F;
    typedef BackupRecordSpec R;
    struct Case { const char* name; void (*shape)(F&, R& second); size_t cut; bool atHeader; } cases[] = {
        {"layout 81", [](F& s, R&) { s.layout = 81; }, 0, true},
        {"magic without its NUL", [](F& s, R&) { s.magic = "QZTIFARCHIVE1X"; }, 0, true},
        {"header cut short", [](F&, R&) {}, 31, true},
        {"block table past the end", [](F& s, R&) { s.blockCount = 100; }, 0, true},
        {"2^29 blocks, 0 bytes in 32 bits", [](F& s, R&) { s.blockCount = 0x20000000; }, 0, true},
        {"length 79", [](F&, R& r) { r.length = 79; }, 0, false},
        {"length one past the file", [](F& s, R& r) { s.endMarker = false, r.length = RecordBytes(r).size() + 1; }, 0,
         false},
        {"no URL", [](F&, R& r) { r.url.reset(); }, 0, false},
        {"URL without its NUL", [](F&, R& r) { r.length = 80 + r.url->size(); }, 0, false},
        {"header past the end", [](F&, R& r) { r.header = "HTTP/1.1", r.length = 80 + r.url->size() + 6; }, 0, false},
        {"no end marker", [](F& s, R&) { s.endMarker = false; }, 0, false},
        {"content past the end", [](F& s, R& r) { s.endMarker = false, r.content = "abc", r.sizeLow = 4; }, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupFileSpec backup;
        BackupRecordSpec second = Page("http://example.com/second");
        c.shape(backup, second);
        backup.records = {Page("Cookie:user@example.com/", 0x100001), second};
        Load(BackupFileBytes(backup).substr(0, c.cut ? c.cut : std::string::npos));
        ExpectRefused(13, c.atHeader);
    }
    Load("", ".missing");
    ExpectRefused(ERROR_FILE_NOT_FOUND, true);
}

TEST_F(BackupLoad, OutOfMemoryAnywhereFreesTheListingWith8)
{
    // Enough for a second record block, a larger pointer array, a second string block and a grown record buffer.
    std::vector<BackupRecordSpec> records;
    for (int i = 0; i < 160; i++) {
        records.push_back(Page("http://example.com/" + std::string(i ? 500 : 5000, 'u') + std::to_string(i)));
        records.back().header = "HTTP/1.1 200 OK";
    }
    LONG k = 0;
    for (;; k++) {
        SCOPED_TRACE(k);
        ASSERT_LT(k, 50);
        FailHeapAfter(k);
        Load(records);
        FailHeapAfter(-1);
        if (listing.error == 0)
            break;
        ExpectRefused(8, false);
    }
    EXPECT_EQ(listing.count, 160);
    EXPECT_GE(k, 7);
}

// The buffer holds 4,096 bytes, or the record and 4,096 more. A length below the fixed
// part would wrap or keep stale fields, one beyond the rest of the file would wrap the
// buffer size or ask for memory the file cannot fill: both are refused before anything
// is read or allocated.
TEST(BackupRecord, BufferSizesAndImpossibleLengths)
{
    for (DWORD length : {1u, 3u, 4u, 79u, 0x7FFFFFFFu, 0xFFFFF000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        BackupRecordSpec record;
        record.length = length;
        record.extra = std::string(200, 'x');
        RecordReader bad({record});
        ResetHeapRequestCount();
        EXPECT_EQ(bad.Next(), 13u);
        EXPECT_EQ(HeapRequestCount(), 0);
        EXPECT_EQ(SetFilePointer(bad.handle, 0, NULL, FILE_CURRENT), 40u);   // only the length was read
    }

    struct Step { DWORD length, capacity; LONG requests; } steps[] = {
        {100, 4096, 1}, {5000, 9096, 1}, {3000, 9096, 0}, {9096, 9096, 0}, {9097, 13193, 1},
    };
    std::vector<BackupRecordSpec> records;
    for (const Step& step : steps)
        records.push_back(Page(std::string(step.length - 81, 'u')));
    RecordReader reader(records);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.length);
        ResetHeapRequestCount();
        ASSERT_EQ(reader.Next(), 0u);
        EXPECT_EQ(reader.buffer.capacity, step.capacity);
        EXPECT_EQ(HeapRequestCount(), step.requests);
        EXPECT_EQ(strlen(reader.buffer.url), step.length - 81);   // the whole record, not a byte more
    }
}

// Damaged files (cut, bit-flipped, and mixed from a fixed seed with length fields set to
// edge values) each load whole or fail cleanly, asking for no more memory than their size justifies.
TEST(BackupMutation, EveryDamagedFileLoadsWholeOrFailsCleanly)
{
    BackupRecordSpec page, cookie = Page("Cookie:user@example.com/", 0x100001), longHeader;
    page.extension = "htm", page.content = std::string(40, 'c');
    page.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    longHeader.header = std::string(300, 'h'), longHeader.content = std::string(20, 'z');
    BackupFileSpec backups[3];    // empty; a block and three records; one record with a long header
    backups[1].blocks = {std::string(168, '\x01')}, backups[1].records = {page, cookie, BackupRecordSpec()};
    backups[2].records = {longHeader};

    TempFile file("brindlewick-mutant.cbf");
    LONG variants = 0, loaded = 0, faults = 0;
    auto check = [&](const std::string& bytes, const char* kind, size_t where) {
        Listing listing = {};
        ResetHeapRequestCount();
        file.Write(bytes);
        LoadBackupFile(file.path.c_str(), &listing);
        std::string fault = Fault(listing, bytes.size());
        loaded += listing.error == 0;
        FreeListing(&listing);      // the error stays
        if (++variants % 1000 == 0 && !HeapValidate(GetProcessHeap(), 0, NULL))
            fault = "heap damaged";
        if (!fault.empty() && ++faults <= 10)
            ADD_FAILURE() << kind << " at " << where << ": " << fault;
        return listing.error == 0;
    };
    std::mt19937 random(20050307);
    for (int i = 0; i < 3; i++) {
        std::vector<size_t> starts, fields = {32};     // N, every length L and every dwSizeLow
        const std::string base = BackupFileBytes(backups[i], &starts);
        for (size_t start : starts)
            fields.insert(fields.end(), {start, start + 24});
        fields.pop_back();                              // the end marker has no dwSizeLow
        ASSERT_TRUE(check(base, "base file", 0));
        for (size_t n = 0; n < base.size() * 9; n++) {  // every cut, then every bit flipped alone
            std::string bytes = n < base.size() ? base.substr(0, n) : base;
            if (n >= base.size())
                bytes[(n - base.size()) / 8] ^= (char)(1 << ((n - base.size()) % 8));
            check(bytes, n < base.size() ? "cut" : "bit flip", n);
        }
        // Several flips at once, sometimes with a field set and a cut.
        while (i > 0 && variants < 11000 * i) {
            std::string bytes = base;
            for (size_t flips = 1 + random() % 8; flips > 0; flips--)
                bytes[random() % bytes.size()] ^= (char)(1 << (random() % 8));
            if (random() % 4 == 0)
                PutDword(bytes, fields[random() % fields.size()], random() % 2 ? 79 : 0xFFFFFFFF);
            if (random() % 4 == 0)
                bytes.resize(random() % bytes.size());
            check(bytes, "mixed", variants);
        }
    }
    EXPECT_GT(loaded, 1000);
    EXPECT_GT(variants - loaded, 1000);
}

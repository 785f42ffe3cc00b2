// Loading cache backup files whatever they hold, and with memory running out.
#include <algorithm>
#include <string.h>
#include <random>
#include "backup_builder.h"
#include "backup_reader.h"
#include "listing_builder.h"

namespace {

// What is wrong with a listing loaded from a file of `size` bytes, or "".
std::string Fault(const Listing& listing, size_t size)
{
    if (LargestHeapRequest() > std::max(size + 4096 + sizeof(ArenaBlock), sizeof(Arena) + 65504))
        return "asked for " + std::to_string(LargestHeapRequest()) + " bytes";
    for (LONG row = 0; row < listing.count; row++) {
        const CacheEntry* e = EntryAt(&listing, row);
        if (!e || !e->url || strlen(e->url) >= size || e->entryNumber != row || e->localFile ||
            (e->headerText && strlen(e->headerText) > 259))
            return "entry " + std::to_string(row) + " is not sound";
    }
    return listing.error && (listing.records || listing.strings) ? "failed but kept entries" : "";
}

}  // namespace

TEST(BackupLoad, OutOfMemoryAnywhereFreesTheListingWith8)
{
    BackupFileSpec backup;
    for (int i = 0; i < 160; i++) {
        backup.records.emplace_back().url = "http://h/" + std::string(i ? 500 : 5000, 'u') + std::to_string(i);
        backup.records.back().header = "HTTP/1.1 200 OK";
    }
    TempFile file("brindlewick-load.cbf");
    ASSERT_TRUE(file.Write(BackupFileBytes(backup)));
    Listing listing = {};
    auto load = [&] { LoadBackupFile(file.path.c_str(), &listing); };
    LONG failures = ForEachHeapFailure([&] { FreeListing(&listing); }, load, [&](bool failed) {
        EXPECT_EQ(listing.error, failed ? 8u : 0u);
        EXPECT_EQ(listing.count, failed ? 0 : 160);
    });
    EXPECT_GE(failures, 7);     // both pools twice, the row array, the record buffer twice
    FreeListing(&listing);
}

// Every cut and bit flip of three files, then mixed damage from a fixed seed (lengths set to 79 or
// 2^32 - 1): each loads whole or fails cleanly, asking for no more memory than its size justifies.
TEST(BackupMutation, EveryDamagedFileLoadsWholeOrFailsCleanly)
{
    BackupRecordSpec page, cookie, longHeader;
    cookie.url = "Cookie:user@example.com/", cookie.type = 0x100001;
    page.extension = "htm", page.content = std::string(40, 'c'), page.useCount = 2, page.hitRate = 9;
    page.exemptDelta = 3, page.sync = {4, 0x01C52300}, page.modified = {5, 0x80000001};    // top bit: no time
    page.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    longHeader.header = std::string(256, 'h'), longHeader.content = std::string(20, 'z');
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
        FreeListing(&listing);
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
        for (size_t n = 0; n < base.size() * 9; n++) {
            std::string bytes = n < base.size() ? base.substr(0, n) : base;
            if (n >= base.size())
                bytes[(n - base.size()) / 8] ^= (char)(1 << ((n - base.size()) % 8));
            check(bytes, n < base.size() ? "cut" : "bit flip", n);
        }
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
    Listing listing = {};       // the fields of a record; its header text, after the extension, made one line
    file.Write(BackupFileBytes(backups[1])), LoadBackupFile(file.path.c_str(), &listing);
    const CacheEntry* e = EntryAt(&listing, 0);
    EXPECT_STREQ(e->headerText, "HTTP/1.1 200 OK  Content-Type: text/html    ");
    EXPECT_TRUE(e->useCount == 2 && e->hitRate == 9 && e->exemptDelta == 3 && e->lastSync.dwLowDateTime == 4 &&
                !e->lastModified.dwHighDateTime && e->size == 40);
    FreeListing(&listing);
    file.Write(BackupFileBytes(backups[2])), LoadBackupFile(file.path.c_str(), &listing);
    EXPECT_EQ(std::string(EntryAt(&listing, 0)->headerText), std::string(256, 'h') + "...");   // 256 is cut
    FreeListing(&listing);
    // No backup file (layout, magic without its NUL, 2^29 blocks: 0 bytes in 32 bits) or a broken one.
    typedef BackupFileSpec F;
    for (void (*shape)(F&) : {+[](F& f) { f.layout = 81; }, +[](F& f) { f.magic = "QZTIFARCHIVE1X"; },
                              +[](F& f) { f.blocks.clear(), f.blockCount = 0x20000000; },
                              +[](F& f) { f.endMarker = false; }, +[](F& f) { f.records[2].url.reset(); },
                              +[](F& f) { f.records[2].length = 80 + f.records[2].url->size(); }}) {
        F broken = backups[1];
        shape(broken);
        file.Write(BackupFileBytes(broken));
        EXPECT_EQ(LoadBackupFile(file.path.c_str(), &listing), 13u);
    }
}

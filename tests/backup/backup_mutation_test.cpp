#include <gtest/gtest.h>
#include <string.h>
#include <random>
#include <string>
#include <vector>
#include "backup_reader.h"
#include "backup_builder.h"
#include "cache_seed.h"
#include "heap.h"

namespace {

// A valid file with the places of its length and count fields.
struct BaseFile {
    std::string bytes;
    std::vector<size_t> fields;     // offsets of N, of every L and of every dwSizeLow
};

BaseFile MakeBase(const BackupFileSpec& spec)
{
    BaseFile base;
    std::vector<size_t> starts;
    base.bytes = BackupFileBytes(spec, &starts);
    base.fields.push_back(32);
    for (size_t i = 0; i < starts.size(); i++) {
        base.fields.push_back(starts[i]);
        if (i + 1 < starts.size())
            base.fields.push_back(starts[i] + 24);
    }
    return base;
}

std::vector<BaseFile> BaseFiles()
{
    std::vector<BaseFile> bases;
    bases.push_back(MakeBase(BackupFileSpec()));

    BackupRecordSpec page;
    page.url = "http://example.com/a/page.htm";
    page.extension = "htm";
    page.header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    page.content = std::string(40, 'c');
    page.access = MakeFileTime(2005, 3, 7, 9, 5, 7);
    page.modified = MakeFileTime(2005, 3, 6);
    page.expire = MakeFileTime(2030, 1, 1);
    BackupRecordSpec cookie;
    cookie.url = "Cookie:user@example.com/";
    cookie.type = 0x00100001;
    cookie.content = "id=1";
    BackupRecordSpec plain;
    plain.url = "http://example.com/p.gif";
    BackupFileSpec three;
    three.blocks = {std::string(168, '\x01')};
    three.records = {page, cookie, plain};
    bases.push_back(MakeBase(three));

    BackupRecordSpec long_header;
    long_header.url = "http://example.com/long";
    long_header.header = std::string(300, 'h');
    long_header.content = std::string(20, 'z');
    BackupFileSpec one;
    one.records = {long_header};
    bases.push_back(MakeBase(one));
    return bases;
}

// Loads one variant and checks that it gave a whole listing or a freed one with a
// code, without asking for more memory than the file could justify.
struct MutationRun {
    TempFile file{"brindlewick-mutant.cbf"};
    LONG variants = 0;
    LONG loaded = 0;
    LONG refused = 0;
    LONG problems = 0;

    void Check(const std::string& bytes, const char* kind, size_t where)
    {
        variants++;
        if (problems >= 10)
            return;
        if (!file.Write(bytes)) {
            Problem(kind, where, "could not write the file");
            return;
        }
        Listing listing = {};
        listing.clusterSize = 512;
        ResetHeapRequestCount();
        LoadBackupFile(file.path.c_str(), &listing);
        DWORD justified = (DWORD)bytes.size() + 4096 + sizeof(ArenaBlock);
        DWORD listingBlock = sizeof(Arena) + 65504;
        if (LargestHeapRequest() > (justified > listingBlock ? justified : listingBlock))
            Problem(kind, where, "asked for " + std::to_string(LargestHeapRequest()) + " bytes");
        if (listing.error == 0)
            CheckLoaded(listing, bytes.size(), kind, where);
        else if (listing.records || listing.strings || listing.count != 0)
            Problem(kind, where, "failed with " + std::to_string(listing.error) + " but kept entries");
        else
            refused++;
        if (listing.clusterSize != 512)
            Problem(kind, where, "cluster size changed");
        FreeListing(&listing);
        if (variants % 1000 == 0 && !HeapValidate(GetProcessHeap(), 0, NULL))
            Problem(kind, where, "heap damaged");
    }

    void CheckLoaded(const Listing& listing, size_t size, const char* kind, size_t where)
    {
        loaded++;
        // Header, block count and end marker take 40 bytes, every record at least 81:
        // its fixed part and the URL's NUL.
        if (!listing.records || listing.count < 0 || 40 + 81 * (size_t)listing.count > size) {
            Problem(kind, where, "implausible listing of " + std::to_string(listing.count));
            return;
        }
        for (LONG row = 0; row < listing.count; row++) {
            const CacheEntry* entry = EntryAt(&listing, row);
            bool sound = entry && entry->url && strlen(entry->url) < size && entry->localFile == nullptr &&
                         entry->status == 1 && entry->fromBackup == 1 && entry->entryNumber == row &&
                         (!entry->headerText || strlen(entry->headerText) <= 259);
            if (!sound) {
                Problem(kind, where, "entry " + std::to_string(row) + " is not sound");
                return;
            }
        }
    }

    void Problem(const char* kind, size_t where, const std::string& what)
    {
        problems++;
        ADD_FAILURE() << kind << " at " << where << ": " << what;
    }
};

const DWORD SPECIAL_VALUES[] = {0, 79, 80, 0x7FFFFFFF, 0xFFFFFFFF};

}  // namespace

TEST(BackupMutation, EveryMutatedFileLoadsWholeOrFailsCleanly)
{
    MutationRun run;
    std::vector<BaseFile> bases = BaseFiles();
    for (const BaseFile& base : bases)
        run.Check(base.bytes, "base file", 0);
    ASSERT_EQ(run.loaded, (LONG)bases.size());

    for (const BaseFile& base : bases) {
        const std::string& bytes = base.bytes;
        for (size_t length = 0; length < bytes.size(); length++)
            run.Check(bytes.substr(0, length), "truncation", length);
        for (size_t bit = 0; bit < bytes.size() * 8; bit++) {
            std::string flipped = bytes;
            flipped[bit / 8] ^= (char)(1 << (bit % 8));
            run.Check(flipped, "bit flip", bit);
        }
        for (size_t field : base.fields) {
            DWORD size = (DWORD)bytes.size();
            DWORD ahead = (DWORD)(size - field - 4);
            std::vector<DWORD> values(std::begin(SPECIAL_VALUES), std::end(SPECIAL_VALUES));
            for (DWORD value : {size - 1, size, size + 1, ahead - 1, ahead, ahead + 1, ahead + 4, ahead + 5})
                values.push_back(value);
            for (DWORD value : values) {
                std::string changed = bytes;
                PutDword(changed, field, value);
                run.Check(changed, "field value", field * 1000 + value % 1000);
            }
        }
    }

    // Several flips at once, sometimes with a field set and a cut, from a fixed seed.
    std::mt19937 random(20050307);
    while (run.variants < 22000) {
        const BaseFile& base = bases[1 + random() % (bases.size() - 1)];
        std::string bytes = base.bytes;
        size_t flips = 1 + random() % 8;
        for (size_t i = 0; i < flips; i++)
            bytes[random() % bytes.size()] ^= (char)(1 << (random() % 8));
        if (random() % 4 == 0)
            PutDword(bytes, base.fields[random() % base.fields.size()], SPECIAL_VALUES[random() % 5]);
        if (random() % 4 == 0)
            bytes.resize(random() % bytes.size());
        run.Check(bytes, "mixed", (size_t)run.variants);
    }

    EXPECT_GE(run.variants, 20000);
    EXPECT_GT(run.loaded, 1000);
    EXPECT_GT(run.refused, 1000);
    printf("%ld variants: %ld loaded, %ld refused\n", (long)run.variants, (long)run.loaded, (long)run.refused);
}

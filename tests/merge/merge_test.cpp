// Folding a scan into the main listing, and compacting the result.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <string.h>
#include <vector>
#include "compaction.h"
#include "entry_index.h"
#include "entry_status.h"
#include "heap.h"
#include "listing_builder.h"
#include "merge.h"

namespace {

struct Row { const char* url; const char* file; };

void Fill(Listing* listing, std::initializer_list<Row> rows)
{
    for (const Row& row : rows)
        AddEntry(listing, row.url, row.file);
}

std::vector<CacheEntry*> Rows(const Listing* listing)
{
    std::vector<CacheEntry*> rows;
    for (LONG i = 0; i < listing->count; i++)
        rows.push_back(EntryAt(listing, i));
    return rows;
}

std::vector<LONG> Statuses(const Listing* listing)
{
    std::vector<LONG> statuses;
    for (CacheEntry* row : Rows(listing))
        statuses.push_back(row->status);
    return statuses;
}

std::string Text(const char* text) { return text ? text : "<null>"; }

// Whether `row` itself lies on the probe path of `key`, and in exactly one slot.
bool IndexedOnce(EntryIndex* index, const char* key, CacheEntry* row)
{
    DWORD slot;
    auto same = [](const CacheEntry* candidate, const void* wanted) -> BOOL { return candidate == wanted; };
    return FindEntryIf(index, key, same, row, &slot) == row &&
           std::count_if(index->slots, index->slots + index->tableSize,
                         [row](const IndexSlot& s) { return s.entry == row; }) == 1;
}

// No record past count, no index slot outside the rows, no string in released
// (poisoned) memory; with `exact`, every row is indexed once under its local file.
void ExpectSound(Listing* listing, bool exact)
{
    std::vector<CacheEntry*> rows = Rows(listing);
    EXPECT_EQ(listing->records->pointerCount, (DWORD)listing->count);
    for (EntryIndex* index : {&listing->byLocalFile, &listing->byUrl})
        for (DWORD s = 0; s < index->tableSize; s++)
            EXPECT_TRUE(!index->slots[s].entry || std::count(rows.begin(), rows.end(), index->slots[s].entry))
                << "slot " << s;
    for (CacheEntry* row : rows) {
        for (const char* text : {row->url, row->localFile, row->headerText})
            EXPECT_TRUE(!text || !strchr(text, '\xDD')) << "row " << row->entryNumber;
        EXPECT_TRUE(!exact || !row->localFile || IndexedOnce(&listing->byLocalFile, row->localFile, row))
            << row->localFile;
    }
}

// Every record and every string takes a heap request of its own.
void UseTinyBlocks(Listing* listing)
{
    FreeArena(listing->records);
    FreeArena(listing->strings);
    listing->records = CreateArena(1, sizeof(CacheEntry), 1, 1);
    listing->strings = CreateArena(1, 1, 1, 0);
}

// Main A, B, stray C, E; scan A' (new access), B' in file b2, C' named u4 (new modified), new D.
void FillWorked(Listing* main, Listing* scan)
{
    Fill(main, {{"u1", "a"}, {"u2", "b"}, {nullptr, "c"}, {"u5", "e"}});
    Fill(scan, {{"u1", "a"}, {"u2", "b2"}, {"u4", "c"}, {"u3", "d"}});
    EntryAt(scan, 0)->lastAccess.dwLowDateTime = 1;
    EntryAt(scan, 2)->lastModified.dwLowDateTime = 1;
}

// A row's fields with its three texts in place of their addresses.
std::vector<std::string> Images(const Listing* listing, bool liveOnly)
{
    std::vector<std::string> images;
    for (CacheEntry* row : Rows(listing)) {
        if (liveOnly && row->status == STATUS_DELETED)
            continue;
        CacheEntry fields = *row;
        fields.url = fields.localFile = fields.headerText = nullptr;
        images.push_back(std::string((const char*)&fields, sizeof fields));
        for (const char* text : {row->url, row->localFile, row->headerText})
            images.back() += "|" + Text(text);
    }
    return images;
}

}  // namespace

TEST(Merge, WorkedExampleThenTheSameScanAgain)
{
    TestListing main, scan;
    FillWorked(main.get(), scan.get());
    ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
    EXPECT_EQ(Statuses(main.get()), (std::vector<LONG>{3, 5, 6, 0, 7}));
    EXPECT_STREQ(EntryAt(main.get(), 1)->localFile, "b2");
    EXPECT_STREQ(EntryAt(main.get(), 2)->url, "u4");
    // Nothing moved since: everything is unchanged, and E stays Deleted.
    ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
    EXPECT_EQ(Statuses(main.get()), (std::vector<LONG>{1, 1, 1, 0, 1}));
    PoisonReleasedHeap(TRUE);   // the caller frees the scan right after the merge
    FreeListing(scan.get());
    PoisonReleasedHeap(FALSE);
    ExpectSound(main.get(), true);      // B is found by b2, and only there
}

// Pairing by local file (only when the URLs agree) and then by URL, and the status of
// a pair found by local file: the weightiest difference decides, and a stray that the
// cache now names with a new time takes the URL. The merge builds the indexes itself.
TEST(Merge, PairingAndClassification)
{
    typedef void (*Change)(CacheEntry* firstScanned);
    struct Case {
        const char* name;
        std::initializer_list<Row> main, scan;
        std::vector<LONG> statuses;
        Change change;
        std::vector<const char*> files = {};    // of the main rows afterwards, when given
    } cases[] = {
        {"identical scan", {{"u1", "f1"}, {nullptr, "f2"}}, {{nullptr, "f2"}, {"u1", "f1"}}, {1, 1}, nullptr},
        {"backup-shaped main", {{"u1", nullptr}, {"u2", nullptr}}, {{"u1", "f1"}, {"u3", "f3"}}, {1, 0, 7}, nullptr,
         {"f1", nullptr, "f3"}},
        {"backup-shaped scan", {{"u1", "f1"}, {"u2", "f2"}}, {{"u1", nullptr}, {"u9", nullptr}}, {1, 0, 7}, nullptr,
         {"f1", "f2", nullptr}},
        // A file name handed to another URL, or kept by a stray of a vanished entry, is another entry.
        {"name reused for a new URL", {{"u1", "fav"}, {"u2", "g"}}, {{"u2", "g"}, {"u9", "fav"}}, {0, 1, 7}, nullptr},
        {"name reused for a known URL", {{"u1", "fav"}, {"u2", "g"}}, {{"u2", "fav"}}, {0, 5}, nullptr,
         {"fav", "fav"}},
        {"stray left by a vanished entry", {{"u1", "fav"}}, {{nullptr, "fav"}}, {0, 7}, nullptr},
        // Every entry without a file shares the empty key.
        {"several empty files", {{"u1", ""}, {"u2", ""}, {"u3", ""}}, {{"u2", ""}, {"u1", ""}, {"u4", ""}},
         {1, 1, 0, 7}, nullptr},
        {"size only", {{"u", "x"}}, {{"u", "x"}}, {1}, [](CacheEntry* s) { s->size = 2000; }},
        {"hit rate", {{"u", "x"}}, {{"u", "x"}}, {2}, [](CacheEntry* s) { s->hitRate = 1; }},
        {"type flags", {{"u", "x"}}, {{"u", "x"}}, {2}, [](CacheEntry* s) { s->typeFlags = 1; }},
        {"expiry, high half", {{"u", "x"}}, {{"u", "x"}}, {2}, [](CacheEntry* s) { s->expireTime.dwHighDateTime = 1; }},
        {"access beats counters", {{"u", "x"}}, {{"u", "x"}}, {3},
         [](CacheEntry* s) { s->lastAccess.dwLowDateTime = s->hitRate = 1; }},
        {"modified beats access", {{"u", "x"}}, {{"u", "x"}}, {4},
         [](CacheEntry* s) { s->lastModified.dwLowDateTime = s->lastAccess.dwLowDateTime = 1; }},
        {"stray, new access", {{nullptr, "x"}}, {{"u", "x"}}, {6},
         [](CacheEntry* s) { s->lastAccess.dwLowDateTime = 1; }},
        {"stray, new modified", {{nullptr, "x"}}, {{"u", "x"}}, {6},
         [](CacheEntry* s) { s->lastModified.dwLowDateTime = 1; }},
        {"stray, counters only", {{nullptr, "x"}}, {{"u", "x"}}, {2}, [](CacheEntry* s) { s->hitRate = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing main, scan;
        Fill(main.get(), c.main);
        Fill(scan.get(), c.scan);
        if (c.change)
            c.change(EntryAt(scan.get(), 0));
        ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
        EXPECT_EQ(Statuses(main.get()), c.statuses);
        for (size_t i = 0; i < c.files.size() && i < (size_t)main->count; i++)
            EXPECT_EQ(Text(EntryAt(main.get(), (LONG)i)->localFile), Text(c.files[i])) << "row " << i;
        ExpectSound(main.get(), true);
    }
}

// A partner is taken from its place in the previous scan only when no other record holds its file: here a
// stray that a sort put first holds it too, and a lookup meets the stray first.
TEST(Merge, APartnerInPlaceNeverPassesOverARecordSharingItsFile)
{
    TestListing main, scan;
    Fill(main.get(), {{nullptr, "f"}, {"u1", "f"}});
    EntryAt(main.get(), 0)->entryNumber = 1, EntryAt(main.get(), 1)->entryNumber = 0;
    Fill(scan.get(), {{"u1", "f"}});
    EntryAt(scan.get(), 0)->lastAccess.dwLowDateTime = 1;
    ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
    EXPECT_EQ(Statuses(main.get()), (std::vector<LONG>{6, 0}));
}

// The records that hold `key`, in the order lookups meet them.
std::vector<CacheEntry*> Holders(EntryIndex* index, const char* key)
{
    std::vector<CacheEntry*> holders;
    auto unseen = [](const CacheEntry* c, const void* seen) -> BOOL {
        auto* list = (const std::vector<CacheEntry*>*)seen;
        return std::find(list->begin(), list->end(), c) == list->end();
    };
    DWORD slot;
    while (CacheEntry* found = FindEntryIf(index, key, unseen, &holders, &slot))
        holders.push_back(found);
    return holders;
}

// Entries that moved change their place in byLocalFile in place, the rebuild left for texts that stay shared,
// and every lookup then meets what it would in a fresh build: chains of moves (A into B's freed file), moves
// within and into a crowded probe run, gaps that close across the end of the table. Scans come in the main
// listing's order, so most partners are found in place.
TEST(Merge, MovedEntriesLeaveTheIndexAsAFreshBuildWould)
{
    const DWORD slots = MIN_INDEX_SLOTS;    // the table of a listing this small
    std::vector<std::string> run = CollidingKeys(12, slots, 300), wrap = CollidingKeys(14, slots, slots - 4);
    std::vector<std::string> start = CollidingKeys(6, slots, 0);
    wrap.insert(wrap.begin() + 4, start.begin(), start.end());      // from slot 0, after four that end the table
    struct Move { size_t row; std::string file; };
    struct Case { const char* name; std::vector<std::string> files; std::vector<Move> moves; LONG requests; };
    const Case cases[] = {
        {"chain", {"f1", "f2", "f3", "f4"}, {{0, "f2"}, {1, "f3"}, {2, "f5"}}, 1},
        {"crowded run", {run.begin(), run.begin() + 10}, {{5, run[10]}, {6, "out"}, {7, run[5]}, {0, run[11]}}, 1},
        {"wrapping run", wrap, {{2, "x"}, {3, "y"}, {5, wrap[2]}, {12, wrap[1]}, {1, "z"}}, 1},
        {"text still shared", {"f1", "f2"}, {{0, "f2"}}, 2},    // and rebuilt: A comes before B by row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing main, scan;
        for (size_t i = 0; i < c.files.size(); i++)
            AddEntry(main.get(), ("u" + std::to_string(i)).c_str(), c.files[i].c_str());
        std::vector<std::string> files = c.files;
        for (const Move& move : c.moves)
            files[move.row] = move.file;
        for (size_t i = 0; i < files.size(); i++)
            AddEntry(scan.get(), ("u" + std::to_string(i)).c_str(), files[i].c_str());
        ASSERT_EQ(BuildIndex(&main->byLocalFile, main.get()), 0u);
        ASSERT_EQ(BuildIndex(&main->byUrl, main.get()), 0u);
        ResetHeapRequestCount();
        ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
        EXPECT_EQ(HeapRequestCount(), c.requests);     // the previous scan's order, and any rebuild
        ExpectSound(main.get(), true);
        EntryIndex fresh = {NULL, 0, 0, KEY_LOCAL_FILE, 0, FALSE};
        ASSERT_EQ(BuildIndex(&fresh, main.get()), 0u);
        for (const std::string& file : files)
            EXPECT_EQ(Holders(&main->byLocalFile, file.c_str()), Holders(&fresh, file.c_str())) << file;
        DiscardIndex(&fresh);
    }
}

TEST(Merge, NewEntriesOfAJustIncludedKindGetStatus8)
{
    struct Case { BOOL straysJustIncluded, cookiesJustIncluded; LONG withUrl, stray; } cases[] = {
        {FALSE, FALSE, 7, 7}, {TRUE, FALSE, 7, 8}, {FALSE, TRUE, 8, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.straysJustIncluded << c.cookiesJustIncluded);
        TestListing main, scan;
        Fill(scan.get(), {{"http://h/p", "p"}, {"Cookie:me@h/", "c"}, {nullptr, "s"}});
        EntryAt(scan.get(), 1)->typeFlags = COOKIE_ENTRY_BIT | 1;   // cookie or not, every new URL
        EXPECT_EQ(MergeEntries(main.get(), scan.get(), c.straysJustIncluded, c.cookiesJustIncluded), 0u);
        EXPECT_EQ(Statuses(main.get()), (std::vector<LONG>{c.withUrl, c.withUrl, c.stray}));
    }
}

// Entries without a file share the empty key, which no rebuild can part: the index is
// rebuilt once, when that gives it more room, not again each time the run has grown.
TEST(Merge, CrowdedKeyIsRebuiltOnce)
{
    TestListing main, scan;
    for (int i = 0; i < 300; i++)
        AddEntry(i < 200 ? main.get() : scan.get(), ("http://h/" + std::to_string(i)).c_str(), "");
    ResetHeapRequestCount();
    ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
    EXPECT_LE(HeapRequestCount(), 5);   // two index builds, one rebuild, a longer row array, the scan order
    EXPECT_EQ(main->count, 300);
}

TEST(Merge, OutOfMemoryAtEveryRequestLeavesNoHalfBuiltEntry)
{
    HeapFailureGuard guard;
    LONG k = 0;
    for (;; k++) {
        SCOPED_TRACE(k);
        ASSERT_LT(k, 100);
        TestListing main, scan;
        UseTinyBlocks(main.get());
        FillWorked(main.get(), scan.get());
        EntryAt(scan.get(), 3)->headerText = CopyString(scan.get(), "HTTP/1.1 200 OK");
        AddEntry(scan.get(), nullptr, "s");
        FailHeapAfter(k);   // from the index builds on
        DWORD result = MergeEntries(main.get(), scan.get(), FALSE, FALSE);
        FailHeapAfter(-1);
        ASSERT_TRUE(result == 0 || result == 8) << result;
        // B and C are either taken over whole or untouched.
        CacheEntry *b = EntryAt(main.get(), 1), *c = EntryAt(main.get(), 2);
        EXPECT_STREQ(b->localFile, b->status == STATUS_DELETED ? "b" : "b2");
        EXPECT_EQ(c->url == nullptr, c->status == STATUS_DELETED);
        PoisonReleasedHeap(TRUE);
        FreeListing(scan.get());
        PoisonReleasedHeap(FALSE);
        ExpectSound(main.get(), false);
        if (result == 0) {
            EXPECT_EQ(Statuses(main.get()), (std::vector<LONG>{3, 5, 6, 0, 7, 7}));
            break;
        }
    }
    EXPECT_GT(k, 8);    // failures reached index builds, records and strings

    Listing noPools = {};   // a main listing whose fill ran out of memory
    TestListing scan;
    Fill(scan.get(), {{"u1", "f1"}});
    EXPECT_EQ(MergeEntries(&noPools, scan.get(), FALSE, FALSE), 8u);
    EXPECT_EQ(noPools.count, 0);
}

TEST(Merge, MarkingAKindDeleted)
{
    TestListing listing;
    Fill(listing.get(), {{"http://h/", "f"}, {nullptr, "stray"}, {"Cookie:me@h/", "c"}, {nullptr, "odd"}});
    EntryAt(listing.get(), 2)->typeFlags = EntryAt(listing.get(), 3)->typeFlags = COOKIE_ENTRY_BIT;  // the bit decides
    MarkStraysDeleted(listing.get());
    EXPECT_EQ(Statuses(listing.get()), (std::vector<LONG>{1, 0, 1, 0}));
    EntryAt(listing.get(), 1)->status = EntryAt(listing.get(), 3)->status = STATUS_UNCHANGED;
    MarkCookiesDeleted(listing.get());
    EXPECT_EQ(Statuses(listing.get()), (std::vector<LONG>{1, 1, 0, 0}));
}

TEST(Compaction, KeepsLiveRowsInOrderInFreshPoolsSizedToFit)
{
    TestListing main, scan;
    AddEntry(main.get(), "u1", "C:\\cache\\A1B2C3D4\\long-file-name[1].htm", "HTTP/1.1 200 OK");
    Fill(main.get(), {{"u2", "b"}, {nullptr, "c"}, {"u4", "d"}, {"u7", nullptr}});
    Fill(scan.get(), {{"u1", "C:\\cache\\Z\\a[1].htm"}, {"u9", "c"}, {"u4", "d"}, {"u7", nullptr}, {"u8", "e"}});
    EntryAt(scan.get(), 1)->lastAccess.dwLowDateTime = 1;
    ASSERT_EQ(MergeEntries(main.get(), scan.get(), FALSE, FALSE), 0u);
    EntryAt(main.get(), 5)->status = STATUS_ADDED_HIDDEN;
    // Moved (its text overwritten in place), Deleted, Finished, two Unchanged, Added while hidden.
    ASSERT_EQ(Statuses(main.get()), (std::vector<LONG>{5, 0, 6, 1, 1, 8}));
    std::reverse(main->records->pointers, main->records->pointers + main->count);   // as a sort does
    main->strayCount = 2, main->error = 5, main->flags = LISTING_HAS_COOKIE, main->clusterSize = 4096;
    std::vector<std::string> live = Images(main.get(), true);
    DWORD carved = ArenaBytesInUse(main->strings);

    PoisonReleasedHeap(TRUE);
    ASSERT_EQ(CompactListing(main.get()), 0u);
    PoisonReleasedHeap(FALSE);
    EXPECT_EQ(Images(main.get(), false), live);
    ExpectSound(main.get(), true);
    EXPECT_TRUE(IndexedOnce(&main->byUrl, "u9", EntryAt(main.get(), 3)));   // the finished stray, by URL too
    EXPECT_EQ(main->strings->first.capacity, carved);
    EXPECT_LT(ArenaBytesInUse(main->strings), carved);                        // abandoned texts are gone
    EXPECT_EQ(main->records->first.capacity, (6 + 50) * sizeof(CacheEntry));
    EXPECT_EQ(main->strayCount | main->error | main->flags, 0u);
    EXPECT_EQ(main->clusterSize, 4096u);
}

// Strings spread over many blocks, Deleted rows among them.
TEST(Compaction, FailureAtEveryRequestLeavesTheListingAsItWas)
{
    HeapFailureGuard guard;
    LONG k = 0;
    for (;; k++) {
        SCOPED_TRACE(k);
        ASSERT_LT(k, 40);
        TestListing listing;
        UseTinyBlocks(listing.get());
        for (int i = 0; i < 5; i++)
            AddEntry(listing.get(), "http://h/", "C:\\f", "h")->status = i % 2 ? STATUS_DELETED : STATUS_ADDED_HIDDEN;
        Listing before = listing.listing;
        std::vector<std::string> images = Images(listing.get(), false);
        DWORD carved = ArenaBytesInUse(listing->strings);

        FailHeapAfter(k);
        DWORD result = CompactListing(listing.get());
        FailHeapAfter(-1);
        if (result == 0) {
            EXPECT_EQ(listing->count, 3);
            EXPECT_EQ(listing->strings->first.capacity, carved);    // one block holds every text
            EXPECT_EQ(listing->strings->first.next, nullptr);
            break;
        }
        ASSERT_EQ(result, 8u);
        EXPECT_EQ(memcmp(&before, listing.get(), sizeof(Listing)), 0);
        EXPECT_EQ(Images(listing.get(), false), images);
    }
    EXPECT_GE(k, 3);    // both pools and the pointer array failed once each

    TestListing empty;  // nothing carved: a block of 4 bytes
    ASSERT_EQ(CompactListing(empty.get()), 0u);
    EXPECT_EQ(empty->strings->first.capacity, 4u);
    EXPECT_EQ(empty->records->first.capacity, 50 * sizeof(CacheEntry));
}

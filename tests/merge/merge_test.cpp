// Folding a scan into the main listing, and compacting the result.
#include <algorithm>
#include <memory>
#include <string.h>
#include "compaction.h"
#include "entry_index.h"
#include "entry_status.h"
#include "listing_builder.h"
#include "merge.h"

namespace {

struct Row { const char* url; const char* file; };
typedef std::vector<std::string> Rows;

std::string Text(const char* text) { return text ? text : "-"; }

// A listing of the rows; with `tiny` blocks, every record and string takes a heap request of its own.
std::unique_ptr<TestListing> Filled(std::initializer_list<Row> rows, bool tiny = false)
{
    std::unique_ptr<TestListing> listing(new TestListing);
    if (tiny) {
        FreeArena((*listing)->records), FreeArena((*listing)->strings);
        (*listing)->records = CreateArena(1, sizeof(CacheEntry), 1, 1), (*listing)->strings = CreateArena(1, 1, 1, 0);
    }
    for (const Row& row : rows)
        AddEntry(listing->get(), row.url, row.file);
    return listing;
}

// Every row as "status URL file"; with `fields`, its header text and the bytes of its other fields too.
Rows Shown(const Listing* listing, bool fields = false)
{
    Rows rows;
    for (LONG row = 0; row < listing->count; row++) {
        CacheEntry e = *EntryAt(listing, row);
        rows.push_back(std::to_string(e.status) + " " + Text(e.url) + " " + Text(e.localFile));
        std::string header = Text(e.headerText);
        e.url = e.localFile = e.headerText = nullptr;
        if (fields)
            rows.back() += " " + header + std::string((const char*)&e, sizeof e);
    }
    return rows;
}

// No record past count or slot outside the rows, no text in freed (poisoned) memory; `exact`: rows found by file.
void ExpectSound(Listing* listing, bool exact)
{
    CacheEntry** rows = (CacheEntry**)listing->records->pointers;
    EXPECT_EQ(listing->records->pointerCount, (DWORD)listing->count);
    for (EntryIndex* index : {&listing->byLocalFile, &listing->byUrl})
        for (DWORD s = 0; s < index->tableSize; s++)
            EXPECT_TRUE(!index->slots[s].entry || std::count(rows, rows + listing->count, index->slots[s].entry)) << s;
    auto same = [](const CacheEntry* candidate, const void* wanted) -> BOOL { return candidate == wanted; };
    EntryIndex* files = &listing->byLocalFile;
    for (CacheEntry* row : std::vector<CacheEntry*>(rows, rows + listing->count)) {
        for (const char* text : {row->url, row->localFile, row->headerText})
            EXPECT_TRUE(!text || !strchr(text, '\xDD')) << row->entryNumber;
        DWORD slot, seen = (DWORD)std::count_if(files->slots, files->slots + files->tableSize,
                                                [row](const IndexSlot& s) { return s.entry == row; });
        const char* file = EntryKey(row, KEY_LOCAL_FILE);
        EXPECT_TRUE(!exact || (file ? FindEntryIf(files, file, same, row, &slot) && seen == 1 : !seen));
    }
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

// `count` different keys whose probe sequences start at slot `home` of a table of `tableSize` slots.
std::vector<std::string> CollidingKeys(int count, DWORD tableSize, DWORD home)
{
    std::vector<std::string> keys;
    for (int i = 0; (int)keys.size() < count; i++) {
        std::string key = "k" + std::to_string(home) + "-" + std::to_string(i);
        if (HashKey(key.c_str(), tableSize) == home)
            keys.push_back(key);
    }
    return keys;
}

void FreePoisoned(Listing* listing) { PoisonReleasedHeap(TRUE), FreeListing(listing), PoisonReleasedHeap(FALSE); }

// Main A, B, stray C, E; scan A' (new access), B' in file b2, C' named u4 (new modified), new D.
const std::initializer_list<Row> WorkedMain = {{"u1", "a"}, {"u2", "b"}, {nullptr, "c"}, {"u5", "e"}};
std::unique_ptr<TestListing> WorkedScan()
{
    auto scan = Filled({{"u1", "a"}, {"u2", "b2"}, {"u4", "c"}, {"u3", "d"}});
    EntryAt(scan->get(), 0)->lastAccess.dwLowDateTime = EntryAt(scan->get(), 2)->lastModified.dwLowDateTime = 1;
    return scan;
}

}  // namespace

// Pairing by local file (when the URLs agree), then by URL, byte for byte; status 8 for a kind just included.
// In a pair by local file the weightiest change decides; a stray named with a new time takes the URL. A partner
// is taken from its place in the previous scan only when no other record holds its file: not when a stray that
// a sort put first (`sorted`: entry numbers reversed) holds it too, and a lookup meets the stray first.
TEST(Merge, PairingAndClassification)
{
    const std::initializer_list<Row> ux = {{"u", "x"}}, strayX = {{nullptr, "x"}};
    const struct {
        const char* name;
        std::initializer_list<Row> main, scan;
        Rows expected;
        BOOL strays = FALSE, cookies = FALSE;   // just included
        void (*change)(CacheEntry* firstScanned) = nullptr;
        bool sorted = false;
    } cases[] = {
        {"backup-shaped main", {{"a", nullptr}, {"b", nullptr}}, {{"a", "f"}, {"c", "g"}}, {"1 a f", "0 b -", "7 c g"}},
        {"backup-shaped scan", {{"a", "f"}, {"b", "g"}}, {{"a", nullptr}, {"z", nullptr}}, {"1 a f", "0 b g", "7 z -"}},
        {"name reused, new URL", {{"a", "f"}, {"b", "g"}}, {{"b", "g"}, {"z", "f"}}, {"0 a f", "1 b g", "7 z f"}},
        {"name reused, known URL", {{"a", "f"}, {"b", "g"}}, {{"b", "f"}}, {"0 a f", "5 b f"}},
        {"stray of a vanished entry", {{"a", "f"}}, {{nullptr, "f"}}, {"0 a f", "7 - f"}},
        {"URL in other case", {{"http://h/A", "f"}}, {{"http://h/a", "f"}}, {"0 http://h/A f", "7 http://h/a f"}},
        {"moved to a shorter name", {{"u1", "long-name"}}, {{"u1", "ab"}}, {"5 u1 ab"}},
        {"several without a file", {{"u1", ""}, {"u2", ""}, {"u3", ""}}, {{"u2", ""}, {"u1", ""}, {"u4", ""}},
         {"1 u1 ", "3 u2 ", "0 u3 ", "7 u4 "}, 0, 0, [](CacheEntry* s) { s->lastAccess = {1, 0}; }},
        {"strays just included", {}, {{"u", "p"}, {nullptr, "s"}}, {"7 u p", "8 - s"}, TRUE, FALSE},
        {"cookies just included", {}, {{"u", "p"}, {nullptr, "s"}}, {"8 u p", "7 - s"}, FALSE, TRUE},
        {"size only", ux, ux, {"1 u x"}, 0, 0, [](CacheEntry* s) { s->size = 2000; }},
        {"type flags", ux, ux, {"2 u x"}, 0, 0, [](CacheEntry* s) { s->typeFlags = 1; }},
        {"expiry, high half", ux, ux, {"2 u x"}, 0, 0, [](CacheEntry* s) { s->expireTime = {0, 1}; }},
        {"access, hit rate", ux, ux, {"3 u x"}, 0, 0, [](CacheEntry* s) { s->lastAccess = {1, 0}, s->hitRate = 1; }},
        {"modified, access", ux, ux, {"4 u x"}, 0, 0, [](CacheEntry* s) { s->lastModified = s->lastAccess = {1, 0}; }},
        {"stray, new modified", strayX, ux, {"6 u x"}, 0, 0, [](CacheEntry* s) { s->lastModified = {1, 0}; }},
        {"stray, counters only", strayX, ux, {"2 - x"}, 0, 0, [](CacheEntry* s) { s->hitRate = 1; }},
        {"partner in place, a stray sorted first", {{nullptr, "f"}, {"u1", "f"}}, {{"u1", "f"}}, {"6 u1 f", "0 u1 f"},
         0, 0, [](CacheEntry* s) { s->lastAccess = {1, 0}; }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto main = Filled(c.main), scan = Filled(c.scan);
        for (LONG row = 0; c.sorted && row < (*main)->count; row++)
            EntryAt(main->get(), row)->entryNumber = (*main)->count - 1 - row;
        if (c.change)
            c.change(EntryAt(scan->get(), 0));
        ASSERT_EQ(MergeEntries(main->get(), scan->get(), c.strays, c.cookies), 0u);
        EXPECT_EQ(Shown(main->get()), c.expected);
        ExpectSound(main->get(), true);
    }
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
        {"others without a file", {"", "f1", ""}, {{1, "f2"}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing main, scan;
        std::vector<std::string> files = c.files;
        for (const Move& move : c.moves)
            files[move.row] = move.file;
        for (size_t i = 0; i < files.size(); i++) {
            AddEntry(main.get(), ("u" + std::to_string(i)).c_str(), c.files[i].c_str());
            AddEntry(scan.get(), ("u" + std::to_string(i)).c_str(), files[i].c_str());
        }
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

TEST(Merge, OutOfMemoryAtEveryRequestLeavesNoHalfBuiltEntry)
{
    std::unique_ptr<TestListing> main, scan;
    DWORD result = 0;
    LONG failures = ForEachHeapFailure(
        [&] {
            main = Filled(WorkedMain, true), scan = WorkedScan();
            EntryAt(scan->get(), 3)->headerText = CopyString(scan->get(), "HTTP/1.1 200 OK");
            AddEntry(scan->get(), nullptr, "s");
        },
        [&] { result = MergeEntries(main->get(), scan->get(), FALSE, FALSE); },
        [&](bool failed) {
            ASSERT_EQ(result, failed ? 8u : 0u);
            Rows rows = Shown(main->get());     // B and C are either taken over whole or untouched
            EXPECT_TRUE(rows[1] == "0 u2 b" || rows[1] == "5 u2 b2") << rows[1];
            EXPECT_TRUE(rows[2] == "0 - c" || rows[2] == "6 u4 c") << rows[2];
            if (!failed) {      // and the same scan again
                EXPECT_EQ(rows, (Rows{"3 u1 a", "5 u2 b2", "6 u4 c", "0 u5 e", "7 u3 d", "7 - s"}));
                ASSERT_EQ(MergeEntries(main->get(), scan->get(), FALSE, FALSE), 0u);
                EXPECT_EQ(Shown(main->get()), (Rows{"1 u1 a", "1 u2 b2", "1 u4 c", "0 u5 e", "1 u3 d", "1 - s"}));
            }
            FreePoisoned(scan->get());
            ExpectSound(main->get(), !failed);      // B is found by b2, and only there
        });
    EXPECT_GT(failures, 8);     // failures reached index builds, records and strings
}

// Compaction keeps the live rows, fields and texts, with both indexes; out of memory, the listing as it was.
TEST(Compaction, KeepsTheLiveRowsOrLeavesTheListingAsItWas)
{
    std::unique_ptr<TestListing> main, scan;
    Listing before;
    Rows rows;
    DWORD result = 0;
    LONG failures = ForEachHeapFailure(
        [&] {
            main = Filled(WorkedMain, true), scan = WorkedScan();
            AddEntry(main->get(), "u7", nullptr, "HTTP/1.1 200 OK");
            ASSERT_EQ(MergeEntries(main->get(), scan->get(), FALSE, FALSE), 0u);
            EntryAt(main->get(), 5)->status = STATUS_ADDED_HIDDEN;
            (*main)->clusterSize = 4096;
            std::reverse((*main)->records->pointers, (*main)->records->pointers + (*main)->count);   // as a sort does
            before = main->listing, rows = Shown(main->get(), true);
        },
        [&] {
            PoisonReleasedHeap(TRUE);
            result = CompactListing(main->get());
            PoisonReleasedHeap(FALSE);
        },
        [&](bool) {
            if (result != 0) {
                EXPECT_EQ(result, 8u);
                EXPECT_EQ(memcmp(&before, main->get(), sizeof(Listing)), 0);
                EXPECT_EQ(Shown(main->get(), true), rows);
                return;
            }
            EXPECT_EQ(Shown(main->get(), true), (Rows{rows[0], rows[3], rows[4], rows[5]}));
            EXPECT_EQ((*main)->clusterSize, 4096u);
            if ((*main)->byLocalFile.tableSize && (*main)->byUrl.tableSize) {   // built last, without a check
                ExpectSound(main->get(), true);
                DWORD slot;
                EXPECT_EQ(FindEntry(&(*main)->byUrl, "u4", &slot), EntryAt(main->get(), 1));   // the finished stray
            }
        });
    EXPECT_GE(failures, 3);     // both pools and the pointer array failed once each
    EXPECT_EQ(CompactListing(Filled({})->get()), 0u);        // nothing carved
}

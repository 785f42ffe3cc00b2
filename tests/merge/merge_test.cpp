#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "merge.h"
#include "entry_status.h"
#include "heap.h"
#include "merge_helpers.h"

TEST(Merge, WorkedMergeClassifiesMovesFinishesAndAdds)
{
    TestListing main, scan;
    CacheEntry* a = Add(main.get(), "u1", "a");
    CacheEntry* b = Add(main.get(), "u2", "b");
    CacheEntry* c = Add(main.get(), nullptr, "c");
    CacheEntry* e = Add(main.get(), "u5", "e");
    BuildIndexes(main.get());
    Add(scan.get(), "u1", "a")->lastAccess = Time(101);
    Add(scan.get(), "u2", "b2");
    Add(scan.get(), "u4", "c")->lastModified = Time(201);
    Add(scan.get(), "u3", "d");

    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    ASSERT_EQ(main->count, 5);
    EXPECT_EQ(a->status, STATUS_REVISITED);
    EXPECT_EQ(b->status, STATUS_MOVED);
    EXPECT_STREQ(b->localFile, "b2");
    EXPECT_EQ(c->status, STATUS_FINISHED);
    EXPECT_STREQ(c->url, "u4");
    EXPECT_EQ(e->status, STATUS_DELETED);
    CacheEntry* d = EntryAt(main.get(), 4);
    EXPECT_EQ(d->status, STATUS_ADDED);
    EXPECT_STREQ(d->url, "u3");
    EXPECT_EQ(d->entryNumber, 3);

    DWORD slot;
    EXPECT_EQ(FindEntry(&main->byLocalFile, "b2", &slot), b);
    EXPECT_EQ(FindEntry(&main->byLocalFile, "b", &slot), nullptr);
    EXPECT_EQ(SlotsHolding(main->byLocalFile, b), 1);   // rebuilt: no stale position left
    EXPECT_EQ(FindEntry(&main->byUrl, "u3", &slot), d);
    for (CacheEntry* row : Rows(main.get())) {
        for (const char* text : {row->url, row->localFile, row->headerText}) {
            if (text) {
                EXPECT_TRUE(InPool(main->strings, text)) << text;
            }
        }
    }

    // Nothing moved in the cache: the second merge finds every entry unchanged,
    // and what the first left Deleted stays Deleted.
    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    EXPECT_EQ(main->count, 5);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(EntryAt(main.get(), i)->status, i == 3 ? STATUS_DELETED : STATUS_UNCHANGED) << i;
}

struct ClassifyCase {
    const char* name;
    const char* mainUrl;
    const char* scanUrl;
    void (*change)(CacheEntry* scanned);
    LONG status;
    bool takesFields;
};

TEST(Merge, PairsByLocalFileAreClassifiedByTheirFirstDifference)
{
    const ClassifyCase cases[] = {
        {"size only", "u", "u", [](CacheEntry*) {}, STATUS_UNCHANGED, false},
        {"header only", "u", "u", [](CacheEntry* s) { s->headerText = nullptr; }, STATUS_UNCHANGED, false},
        {"access", "u", "u", [](CacheEntry* s) { s->lastAccess = Time(101); }, STATUS_REVISITED, true},
        {"modified wins", "u", "u",
         [](CacheEntry* s) { s->lastModified = Time(201); s->lastAccess = Time(101); s->hitRate = 9; },
         STATUS_UPDATED, true},
        {"hit rate", "u", "u", [](CacheEntry* s) { s->hitRate = 4; }, STATUS_CHANGED, true},
        {"use count", "u", "u", [](CacheEntry* s) { s->useCount = 1; }, STATUS_CHANGED, true},
        {"exempt delta", "u", "u", [](CacheEntry* s) { s->exemptDelta = 0; }, STATUS_CHANGED, true},
        {"type flags", "u", "u", [](CacheEntry* s) { s->typeFlags = 3; }, STATUS_CHANGED, true},
        {"sync", "u", "u", [](CacheEntry* s) { s->lastSync = Time(301); }, STATUS_CHANGED, true},
        {"expiry high half", "u", "u", [](CacheEntry* s) { s->expireTime.dwHighDateTime++; }, STATUS_CHANGED, true},
        {"stray revisited by cache", nullptr, "u", [](CacheEntry* s) { s->lastAccess = Time(101); },
         STATUS_FINISHED, true},
        {"stray updated by cache", nullptr, "u", [](CacheEntry* s) { s->lastModified = Time(201); },
         STATUS_FINISHED, true},
        {"stray counters only", nullptr, "u", [](CacheEntry* s) { s->typeFlags = 0; }, STATUS_CHANGED, true},
        {"stray stays stray", nullptr, nullptr, [](CacheEntry* s) { s->lastAccess = Time(101); },
         STATUS_REVISITED, true},
    };
    for (const ClassifyCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing main, scan;
        CacheEntry* m = Add(main.get(), c.mainUrl, "C:\\cache\\x.htm", "HTTP/1.1 200 OK");
        BuildIndexes(main.get());
        CacheEntry* s = Add(scan.get(), c.scanUrl, "C:\\cache\\x.htm", "HTTP/1.1 200 OK");
        s->entryNumber = 9;
        s->size = 2000;     // never compared
        c.change(s);
        const char* oldUrl = m->url;
        const char* oldHeader = m->headerText;

        ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
        EXPECT_EQ(main->count, 1);
        EXPECT_EQ(m->status, c.status);
        EXPECT_EQ(m->entryNumber, 9);
        EXPECT_EQ(m->size, c.takesFields ? 2000u : 1000u);
        EXPECT_EQ(m->hitRate, c.takesFields ? s->hitRate : 3u);
        EXPECT_EQ(m->headerText, oldHeader);
        if (c.status == STATUS_FINISHED) {
            EXPECT_STREQ(m->url, "u");
            EXPECT_TRUE(InPool(main->strings, m->url));
        } else {
            EXPECT_EQ(m->url, oldUrl);
        }
    }
}

struct TakeOverCase {
    const char* name;
    const char* mainFile;
    const char* scanFile;
    LONG status;
    const char* localFile;
    bool inPlace;
};

TEST(Merge, UrlFoundInAnotherFileTakesItOver)
{
    const TakeOverCase cases[] = {
        {"shorter text overwritten in place", "C:\\cache\\A1B2\\long-name[1].htm", "C:\\cache\\C3\\p[1].htm",
         STATUS_MOVED, "C:\\cache\\C3\\p[1].htm", true},
        {"longer text carved anew", "C:\\a", "C:\\cache\\C3\\p[1].htm", STATUS_MOVED, "C:\\cache\\C3\\p[1].htm",
         false},
        {"empty scan text keeps the old file", "C:\\a", "", STATUS_MOVED, "C:\\a", true},
        {"backup entry takes a file", nullptr, "C:\\b", STATUS_UNCHANGED, "C:\\b", false},
        {"backup scan keeps the file", "C:\\a", nullptr, STATUS_UNCHANGED, "C:\\a", true},
    };
    for (const TakeOverCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing main, scan;
        CacheEntry* m = Add(main.get(), "u", c.mainFile);
        BuildIndexes(main.get());
        Add(scan.get(), "u", c.scanFile)->hitRate = 7;
        char* oldText = m->localFile;

        ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
        EXPECT_EQ(main->count, 1);                       // no row is left for the old file
        EXPECT_EQ(m->status, c.status);
        EXPECT_EQ(m->hitRate, 7u);
        EXPECT_STREQ(m->localFile, c.localFile);
        EXPECT_EQ(m->localFile == oldText, c.inPlace);
        EXPECT_TRUE(InPool(main->strings, m->localFile));
        DWORD slot;
        EXPECT_EQ(FindEntry(&main->byLocalFile, c.localFile, &slot), m);
        EXPECT_EQ(SlotsHolding(main->byLocalFile, m), 1);
    }
}

TEST(Merge, IdenticalScanLeavesEverythingUnchangedAndIndexesAlone)
{
    TestListing main, scan;
    const char* urls[] = {"u1", "u2", nullptr, "u4"};
    const char* files[] = {"f1", "f2", "f3", ""};
    for (int i = 0; i < 4; i++)
        Add(main.get(), urls[i], files[i]);
    BuildIndexes(main.get());
    for (int i = 3; i >= 0; i--)
        Add(scan.get(), urls[i], files[i]);
    std::vector<CacheEntry*> byFile(main->byLocalFile.slots, main->byLocalFile.slots + main->byLocalFile.tableSize);
    std::vector<CacheEntry*> byUrl(main->byUrl.slots, main->byUrl.slots + main->byUrl.tableSize);
    CacheEntry** fileSlots = main->byLocalFile.slots;
    CacheEntry** urlSlots = main->byUrl.slots;

    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    EXPECT_EQ(main->count, 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(EntryAt(main.get(), i)->status, STATUS_UNCHANGED) << i;
        EXPECT_EQ(EntryAt(main.get(), i)->entryNumber, 3 - i) << i;
    }
    ASSERT_EQ(main->byLocalFile.slots, fileSlots);
    ASSERT_EQ(main->byUrl.slots, urlSlots);
    EXPECT_EQ(byFile, std::vector<CacheEntry*>(fileSlots, fileSlots + main->byLocalFile.tableSize));
    EXPECT_EQ(byUrl, std::vector<CacheEntry*>(urlSlots, urlSlots + main->byUrl.tableSize));
}

TEST(Merge, BackupShapedListingsPairByUrlOnly)
{
    // A main listing read from a backup file has no local files.
    TestListing backupMain, scan;
    Add(backupMain.get(), "u1", nullptr);
    Add(backupMain.get(), "u2", nullptr);
    BuildIndexes(backupMain.get());
    Add(scan.get(), "u1", "f1");
    Add(scan.get(), "u3", "f3");
    ASSERT_EQ(MergeEntries(backupMain.get(), scan.get()), 0u);
    ASSERT_EQ(backupMain->count, 3);
    EXPECT_EQ(EntryAt(backupMain.get(), 0)->status, STATUS_UNCHANGED);
    EXPECT_STREQ(EntryAt(backupMain.get(), 0)->localFile, "f1");
    EXPECT_EQ(EntryAt(backupMain.get(), 1)->status, STATUS_DELETED);
    EXPECT_EQ(EntryAt(backupMain.get(), 2)->status, STATUS_ADDED);
    DWORD slot;
    EXPECT_EQ(FindEntry(&backupMain->byLocalFile, "f1", &slot), EntryAt(backupMain.get(), 0));

    // A backup file merged as the next scan has no local files either.
    TestListing main, backupScan;
    Add(main.get(), "u1", "f1");
    Add(main.get(), "u2", "f2");
    BuildIndexes(main.get());
    Add(backupScan.get(), "u1", nullptr)->useCount = 5;
    Add(backupScan.get(), "u9", nullptr);
    ASSERT_EQ(MergeEntries(main.get(), backupScan.get()), 0u);
    ASSERT_EQ(main->count, 3);
    EXPECT_EQ(EntryAt(main.get(), 0)->status, STATUS_UNCHANGED);
    EXPECT_EQ(EntryAt(main.get(), 0)->useCount, 5u);
    EXPECT_STREQ(EntryAt(main.get(), 0)->localFile, "f1");
    EXPECT_EQ(EntryAt(main.get(), 1)->status, STATUS_DELETED);
    CacheEntry* added = EntryAt(main.get(), 2);
    EXPECT_EQ(added->status, STATUS_ADDED);
    EXPECT_EQ(added->localFile, nullptr);
    EXPECT_EQ(FindEntry(&main->byUrl, "u9", &slot), added);
    EXPECT_EQ(SlotsHolding(main->byLocalFile, added), 0);
}

TEST(Merge, NewEntriesOfAJustIncludedKindAreHidden)
{
    struct Case {
        DWORD strays, straysAtLast, cookies, cookiesAtLast;
        LONG withUrl, withoutUrl;
    } cases[] = {
        {0, 0, 0, 0, STATUS_ADDED, STATUS_ADDED},
        {1, 0, 0, 0, STATUS_ADDED, STATUS_ADDED_HIDDEN},
        {0, 0, 1, 0, STATUS_ADDED_HIDDEN, STATUS_ADDED},   // every new URL, cookie or not
        {1, 1, 1, 1, STATUS_ADDED, STATUS_ADDED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.strays << c.straysAtLast << c.cookies << c.cookiesAtLast);
        IncludeOptions options(c.strays, c.straysAtLast, c.cookies, c.cookiesAtLast);
        TestListing main, scan;
        BuildIndexes(main.get());
        Add(scan.get(), "http://h/p", "C:\\p");
        Add(scan.get(), "Cookie:me@h/", "C:\\me@h[1].txt")->typeFlags = COOKIE_ENTRY_BIT | 1;
        Add(scan.get(), nullptr, "C:\\stray.gif");
        ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
        ASSERT_EQ(main->count, 3);
        EXPECT_EQ(EntryAt(main.get(), 0)->status, c.withUrl);
        EXPECT_EQ(EntryAt(main.get(), 1)->status, c.withUrl);
        EXPECT_EQ(EntryAt(main.get(), 2)->status, c.withoutUrl);
    }
}

// A local-file hit counts only when the URLs agree, so that an entry is never
// mistaken for one that merely used the same file name.
TEST(Merge, LocalFileHitsMustAgreeOnTheUrl)
{
    struct Case {
        const char* name;
        bool secondScanned;         // the scan also holds row 1 unchanged
        const char* scanUrl;        // of the scan entry that holds row 0's file name
        std::vector<LONG> statuses;
        const char* secondFile;     // local file of row 1 afterwards
    } cases[] = {
        {"name reused for a new URL", true, "u9", {STATUS_DELETED, STATUS_UNCHANGED, STATUS_ADDED}, "g[1].gif"},
        {"name reused for a known URL", false, "u2", {STATUS_DELETED, STATUS_MOVED}, "favicon[1].ico"},
        {"stray left by a vanished entry", true, nullptr, {STATUS_DELETED, STATUS_UNCHANGED, STATUS_ADDED},
         "g[1].gif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestListing main, scan;
        Add(main.get(), "u1", "favicon[1].ico");
        Add(main.get(), "u2", "g[1].gif");
        BuildIndexes(main.get());
        if (c.secondScanned)
            Add(scan.get(), "u2", "g[1].gif");
        Add(scan.get(), c.scanUrl, "favicon[1].ico");

        ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
        ASSERT_EQ(main->count, (LONG)c.statuses.size());
        for (size_t i = 0; i < c.statuses.size(); i++)
            EXPECT_EQ(EntryAt(main.get(), (LONG)i)->status, c.statuses[i]) << i;
        EXPECT_STREQ(EntryAt(main.get(), 1)->localFile, c.secondFile);
        EXPECT_STREQ(EntryAt(main.get(), 0)->url, "u1");
    }
}

TEST(Merge, EmptyLocalFilesPairOnlyWithTheirOwnUrl)
{
    TestListing main, scan;
    Add(main.get(), "u1", "");
    Add(main.get(), "u2", "");
    Add(main.get(), "u3", "");
    BuildIndexes(main.get());
    Add(scan.get(), "u1", "")->hitRate = 8;
    Add(scan.get(), "u2", "");
    Add(scan.get(), "u4", "");
    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    ASSERT_EQ(main->count, 4);
    EXPECT_EQ(EntryAt(main.get(), 0)->status, STATUS_CHANGED);
    EXPECT_EQ(EntryAt(main.get(), 0)->hitRate, 8u);
    EXPECT_EQ(EntryAt(main.get(), 1)->status, STATUS_UNCHANGED);
    EXPECT_EQ(EntryAt(main.get(), 2)->status, STATUS_DELETED);
    EXPECT_EQ(EntryAt(main.get(), 3)->status, STATUS_ADDED);
    EXPECT_STREQ(EntryAt(main.get(), 3)->url, "u4");
}

// Entries without a file share the empty text, which the URL filter passes over:
// a rebuild cannot shorten that run, so it is not repeated for every new entry.
TEST(Merge, SharedEmptyFileKeyRebuildsAtMostOnce)
{
    TestListing main, scan;
    for (int i = 0; i < 30; i++)
        Add(main.get(), ("http://h/" + std::to_string(i)).c_str(), "");
    BuildIndexes(main.get());
    for (int i = 0; i < 60; i++)
        Add(scan.get(), ("http://h/" + std::to_string(i)).c_str(), "");
    ResetHeapRequestCount();
    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    EXPECT_LE(HeapRequestCount(), 2);   // one rebuild and one record block, not thirty rebuilds
    ASSERT_EQ(main->count, 60);
    DWORD slot;
    for (int i = 0; i < 60; i++) {
        CacheEntry* row = EntryAt(main.get(), i);
        EXPECT_EQ(row->status, i < 30 ? STATUS_UNCHANGED : STATUS_ADDED) << i;
        EXPECT_EQ(FindEntry(&main->byUrl, row->url, &slot), row) << i;
    }
}

TEST(Merge, EmptyScanMarksEverythingDeletedAndTouchesNoIndex)
{
    TestListing main, scan;
    Add(main.get(), "u1", "f1");
    Add(main.get(), nullptr, "f2");
    BuildIndexes(main.get());
    CacheEntry** slots = main->byLocalFile.slots;
    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    EXPECT_EQ(main->count, 2);
    EXPECT_EQ(EntryAt(main.get(), 0)->status, STATUS_DELETED);
    EXPECT_EQ(EntryAt(main.get(), 1)->status, STATUS_DELETED);
    EXPECT_EQ(main->byLocalFile.slots, slots);
}

// An index whose build ran out of memory is empty; the merge builds it before it
// looks anything up, instead of appending the whole scan again.
TEST(Merge, EmptyIndexIsBuiltBeforeUse)
{
    HeapFailureGuard guard;
    for (bool memory : {true, false}) {
        SCOPED_TRACE(memory ? "with memory" : "without memory");
        TestListing main, scan;
        Add(main.get(), "u1", "f1");
        Add(main.get(), "u2", "f2");
        Add(scan.get(), "u1", "f1");
        Add(scan.get(), "u2", "f2");
        ASSERT_EQ(main->byLocalFile.tableSize, 0u);
        FailHeapAfter(memory ? -1 : 0);
        EXPECT_EQ(MergeEntries(main.get(), scan.get()), memory ? 0u : 8u);
        FailHeapAfter(-1);
        EXPECT_EQ(main->count, 2);
        EXPECT_EQ(EntryAt(main.get(), 0)->status, memory ? STATUS_UNCHANGED : STATUS_DELETED);
    }
}

TEST(Merge, MainListingWithoutPoolsGivesOutOfMemory)
{
    Listing main = {};
    TestListing scan;
    Add(scan.get(), "u1", "f1");
    EXPECT_EQ(MergeEntries(&main, scan.get()), 8u);
    EXPECT_EQ(main.count, 0);
    EXPECT_EQ(main.records, nullptr);
    FreeListing(&main);
}

// Collisions past the limit rebuild byLocalFile in the middle of the merge; the
// rebuild also drops the stale position of an entry moved before it.
TEST(Merge, ProbeTriggeredRebuildKeepsIndexesExact)
{
    TestListing main, scan;
    auto colliding = [](int n) {
        std::string key = "q";
        for (int i = 0; i < n; i++)
            key += "\x01\x01\x01\x01\x01\x01\x01\x01";
        return key;
    };
    CacheEntry* moved = Add(main.get(), "moved", "old");
    for (int i = 0; i < 14; i++)
        Add(main.get(), ("u" + std::to_string(i)).c_str(), colliding(i).c_str());
    BuildIndexes(main.get());
    Add(scan.get(), "moved", "new");
    Add(scan.get(), "fresh", colliding(14).c_str());
    ASSERT_EQ(MergeEntries(main.get(), scan.get()), 0u);
    ASSERT_EQ(main->count, 16);
    CacheEntry* fresh = EntryAt(main.get(), 15);
    DWORD slot;
    EXPECT_EQ(FindEntry(&main->byLocalFile, colliding(14).c_str(), &slot), fresh);
    EXPECT_EQ(FindEntry(&main->byUrl, "fresh", &slot), fresh);
    EXPECT_EQ(FindEntry(&main->byLocalFile, "new", &slot), moved);
    for (CacheEntry* row : Rows(main.get()))
        EXPECT_EQ(SlotsHolding(main->byLocalFile, row), 1) << row->url;
}

TEST(Merge, MarkOperationsDeleteOnlyTheirKind)
{
    TestListing listing;
    Add(listing.get(), "http://h/", "f1");
    Add(listing.get(), nullptr, "stray");
    Add(listing.get(), "Cookie:me@h/", "c1")->typeFlags = COOKIE_ENTRY_BIT | 1;
    Add(listing.get(), nullptr, "odd")->typeFlags = COOKIE_ENTRY_BIT;   // only the bit counts
    MarkStraysDeleted(listing.get());
    std::vector<LONG> statuses;
    for (CacheEntry* row : Rows(listing.get()))
        statuses.push_back(row->status);
    EXPECT_EQ(statuses, (std::vector<LONG>{1, 0, 1, 0}));
    for (CacheEntry* row : Rows(listing.get()))
        row->status = STATUS_UNCHANGED;
    MarkCookiesDeleted(listing.get());
    statuses.clear();
    for (CacheEntry* row : Rows(listing.get()))
        statuses.push_back(row->status);
    EXPECT_EQ(statuses, (std::vector<LONG>{1, 1, 0, 0}));
}

TEST(EntryStatus, CaptionsCoverCodesZeroToSeven)
{
    const char* expected[] = {"", "Deleted", "", "Chnged", "Rvst'd", "Updated", "Moved", "Finished", "Added", "", ""};
    for (LONG code = -1; code <= 9; code++)
        EXPECT_STREQ(StatusCaption(code), expected[code + 1]) << code;
}

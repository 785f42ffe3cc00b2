// Folding a fresh scan into the main listing: every main entry is marked Deleted,
// then each scan entry is paired with its main entry, first by local file and then
// by URL (an entry without a local file by URL alone), and the pair decides the
// status; scan entries without a partner are appended as new main entries.
#include <string.h>
#include "merge.h"
#include "entry_index.h"
#include "entry_status.h"
#include "heap.h"

namespace {

struct MergeState {
    Listing* main;
    BOOL straysJustIncluded;    // new entries without URL are inserted as unchanged rows
    BOOL cookiesJustIncluded;   // new entries with a URL are inserted as unchanged rows
    BOOL movedSinceBuild;       // an entry took over a URL since byLocalFile was last built
    const char* crowdedFile;    // local-file key that a rebuild did not help, or null
    const char* crowdedUrl;     // the same for byUrl
    BOOL compareBackup;         // entries read from a backup file are classified when found by URL
    CacheEntry** previous;      // main entries by their number in the previous scan, or null
    DWORD previousCount;
    DWORD expected;             // the number in `previous` of the next scan entry's likely partner
};

BOOL SameTime(const FILETIME& a, const FILETIME& b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// A record found by local file is the scan entry's partner only when both name
// the same URL, or the main entry names none (a stray that the cache now names).
// WinINet hands a freed file name to another URL, and a stray left behind by a
// vanished entry keeps that entry's path: neither is the same entry.
BOOL UrlsAgree(const CacheEntry* candidate, const void* context)
{
    const CacheEntry* scanned = (const CacheEntry*)context;
    if (!candidate->url)
        return TRUE;
    return scanned->url && strcmp(candidate->url, scanned->url) == 0;
}

// Gives `target` every field of `source` but the three strings, which stay the
// target's own: a main entry never points into the scan listing's pools.
void TakeFields(CacheEntry* target, const CacheEntry* source)
{
    char* url = target->url;
    char* localFile = target->localFile;
    char* headerText = target->headerText;
    char* wholeHeader = target->wholeHeader;
    *target = *source;
    target->url = url;
    target->localFile = localFile;
    target->headerText = headerText;
    target->wholeHeader = wholeHeader;
}

// A pair found by local file: the first difference, in order of weight, decides.
DWORD ClassifyMatch(MergeState* state, CacheEntry* m, const CacheEntry* s)
{
    LONG status;
    if (!SameTime(s->lastModified, m->lastModified))
        status = STATUS_UPDATED;
    else if (!SameTime(s->lastAccess, m->lastAccess))
        status = STATUS_REVISITED;
    else if (!SameTime(s->lastSync, m->lastSync) || !SameTime(s->expireTime, m->expireTime) ||
             s->hitRate != m->hitRate || s->useCount != m->useCount || s->exemptDelta != m->exemptDelta ||
             s->typeFlags != m->typeFlags)
        status = STATUS_CHANGED;
    else {
        // Size, URL and header text are not compared: an entry whose size alone
        // moved keeps its old size.
        m->entryNumber = s->entryNumber;
        m->status = STATUS_UNCHANGED;
        return 0;
    }

    // A stray whose file the cache now names, with a new time, takes the URL. It
    // is found by URL once byUrl is next rebuilt.
    char* url = NULL;
    if (status != STATUS_CHANGED && !m->url && s->url) {
        url = CopyString(state->main, s->url);
        if (!url)
            return ERROR_CODE_OUT_OF_MEMORY;
        status = STATUS_FINISHED;
    }
    TakeFields(m, s);
    if (url)
        m->url = url;
    m->status = status;
    return 0;
}

// Two cache entries without a local file (both hold the empty text) that agree on
// the URL: the pair a lookup by local file would find if entries without a file
// had one, classified as such.
BOOL BothWithoutFile(const CacheEntry* m, const CacheEntry* s)
{
    return m->localFile && s->localFile && !m->localFile[0] && !s->localFile[0];
}

// A URL found in another local file (or in an entry without one): the main entry
// takes the scan entry's fields and its local file. The text is carved before the
// entry changes, so that a failure leaves the entry untouched.
DWORD TakeOver(MergeState* state, CacheEntry* m, const CacheEntry* s)
{
    BOOL bothHadFiles = s->localFile && m->localFile;
    DWORD length = s->localFile ? (DWORD)strlen(s->localFile) : 0;
    char* localFile = m->localFile;
    if (length > 0 && (!localFile || strlen(localFile) < length)) {
        localFile = (char*)ArenaAlloc(state->main->strings, length + 1);
        if (!localFile)
            return ERROR_CODE_OUT_OF_MEMORY;
    }

    TakeFields(m, s);
    if (bothHadFiles)
        m->status = STATUS_MOVED;
    if (length > 0) {
        // The entry leaves byLocalFile under its old text and enters it under the
        // new one, behind the records that hold that text already. A text that
        // fits is overwritten in place; the old bytes beyond it stay unused until
        // compaction.
        EntryIndex* index = &state->main->byLocalFile;
        RemoveFromIndex(index, m);
        CopyMemory(localFile, s->localFile, length + 1);
        m->localFile = localFile;
        IndexLookup lookup;
        ProbeIndex(index, localFile, UrlsAgree, s, &lookup);
        EnterAtSlot(index, &lookup, m);
    }
    state->movedSinceBuild = TRUE;
    return 0;
}

// Comparing with a backup file: an entry read from the file has no local file to
// be found by, so its URL pairs it with the scan entry, and the tests of a pair
// found by local file say what changed. It takes the scan entry's local file.
DWORD ClassifyBackupMatch(MergeState* state, CacheEntry* m, const CacheEntry* s, const IndexLookup* byFile)
{
    // The entry describes the cache of now: it takes the scan's header and size
    // too, whatever its status, so that the next archive carries today's entry.
    Listing* main = state->main;
    char* localFile = NULL;
    char* header = NULL;
    char* wholeHeader = NULL;
    if ((s->localFile && !(localFile = CopyString(main, s->localFile))) ||
        (s->headerText && !(header = CopyString(main, s->headerText))) ||
        (s->wholeHeader && !(wholeHeader = CopyString(main, s->wholeHeader))))
        return ERROR_CODE_OUT_OF_MEMORY;
    DWORD result = ClassifyMatch(state, m, s);
    if (result != 0)
        return result;
    m->headerText = header;
    m->wholeHeader = wholeHeader;
    m->size = s->size;
    m->fromBackup = s->fromBackup;
    if (localFile) {
        m->localFile = localFile;
        EnterAtSlot(&state->main->byLocalFile, byFile, m);
    }
    return 0;
}

// A scan entry found neither way becomes a new main entry. It is built completely
// before it enters an index or the rows, and taken back when a copy fails.
DWORD AppendNew(MergeState* state, const CacheEntry* s, const IndexLookup* byFile, const IndexLookup* byUrl)
{
    Listing* main = state->main;
    CacheEntry* n = NewEntry(main);
    if (!n)
        return ERROR_CODE_OUT_OF_MEMORY;
    *n = *s;
    n->url = NULL;
    n->localFile = NULL;
    n->headerText = NULL;
    n->wholeHeader = NULL;
    if ((s->url && !(n->url = CopyString(main, s->url))) ||
        (s->localFile && !(n->localFile = CopyString(main, s->localFile))) ||
        (s->headerText && !(n->headerText = CopyString(main, s->headerText))) ||
        (s->wholeHeader && !(n->wholeHeader = CopyString(main, s->wholeHeader)))) {
        DropNewEntry(main);
        return ERROR_CODE_OUT_OF_MEMORY;
    }

    BOOL hidden = n->url ? state->cookiesJustIncluded : state->straysJustIncluded;
    n->status = hidden ? STATUS_ADDED_HIDDEN : STATUS_ADDED;
    if (n->url)
        EnterAtSlot(&main->byUrl, byUrl, n);
    if (n->localFile)
        EnterAtSlot(&main->byLocalFile, byFile, n);
    main->count++;
    return 0;
}

// The merge's lookup, which may rebuild the index: LookupForAppend, except for a
// key whose run a rebuild has already failed to shorten, which gets the plain
// probe. Many records can share one key (a local file that WinINet handed from
// URL to URL, its earlier holders kept as Deleted rows, which the URL filter
// passes over), and a rebuild cannot part them: without this, each new record
// under that key would rebuild the index.
DWORD LookupMayRebuild(MergeState* state, EntryIndex* index, const char** crowded, const char* key,
                       EntryFilter accept, const void* context, IndexLookup* lookup)
{
    if (key && *crowded && strcmp(key, *crowded) == 0) {
        ProbeIndex(index, key, accept, context, lookup);
        return 0;
    }
    DWORD result = LookupForAppend(index, state->main, key, accept, context, lookup);
    if (result == 0 && lookup->rebuilt && !lookup->found && index->probes > REBUILD_PROBES)
        *crowded = key;
    return result;
}

// The main entry that held the scan entry's place in the previous scan, when it
// is the one a lookup by local file would find: it holds the same text, its URL
// agrees, and no other record holds that text. WinINet enumerates in the same
// order from scan to scan, so most scan entries find their partner here, without
// hashing a key.
CacheEntry* PartnerInPlace(const MergeState* state, const CacheEntry* s)
{
    if (!state->previous || state->expected >= state->previousCount || !EntryKey(s, KEY_LOCAL_FILE) ||
        !KeysUnique(&state->main->byLocalFile))
        return NULL;
    CacheEntry* m = state->previous[state->expected];
    if (!m || !m->localFile || strcmp(m->localFile, s->localFile) != 0 || !UrlsAgree(m, s))
        return NULL;
    return m;
}

// The next scan entry's partner is likely the main entry that followed this one.
void FollowPartner(MergeState* state, const CacheEntry* m)
{
    if (m->entryNumber >= 0)
        state->expected = (DWORD)m->entryNumber + 1;
}

DWORD MergeOne(MergeState* state, const CacheEntry* s)
{
    Listing* main = state->main;
    CacheEntry* m = PartnerInPlace(state, s);
    if (m) {
        FollowPartner(state, m);
        return ClassifyMatch(state, m, s);
    }

    IndexLookup byFile;
    const char* file = EntryKey(s, KEY_LOCAL_FILE);
    DWORD result = LookupMayRebuild(state, &main->byLocalFile, &state->crowdedFile, file, UrlsAgree, s, &byFile);
    if (result != 0)
        return result;
    if (byFile.rebuilt)
        state->movedSinceBuild = FALSE;     // the rebuild entered every entry under its present text
    if (byFile.found) {
        FollowPartner(state, byFile.found);
        return ClassifyMatch(state, byFile.found, s);
    }

    IndexLookup byUrl;
    result = LookupMayRebuild(state, &main->byUrl, &state->crowdedUrl, s->url, NULL, NULL, &byUrl);
    if (result != 0)
        return result;
    if (byUrl.found) {
        FollowPartner(state, byUrl.found);
        if (state->compareBackup && byUrl.found->fromBackup && !byUrl.found->localFile)
            return ClassifyBackupMatch(state, byUrl.found, s, &byFile);
        if (BothWithoutFile(byUrl.found, s))
            return ClassifyMatch(state, byUrl.found, s);
        return TakeOver(state, byUrl.found, s);
    }
    return AppendNew(state, s, &byFile, &byUrl);
}

// Every main entry becomes Deleted. The ones the previous scan reached (all that
// were not Deleted already) are noted first by their number in it, for finding
// partners in place; without memory for that, every partner is looked up.
void MarkAllDeleted(MergeState* state)
{
    Listing* main = state->main;
    DWORD count = main->count > 0 ? (DWORD)main->count : 0;
    state->previous = count ? (CacheEntry**)HeapGet(count * sizeof(CacheEntry*)) : NULL;
    state->previousCount = state->previous ? count : 0;
    if (state->previous)
        ZeroMemory(state->previous, count * sizeof(CacheEntry*));
    for (DWORD row = 0; row < count; row++) {
        CacheEntry* entry = EntryAt(main, (LONG)row);
        if (state->previous && entry->status != STATUS_DELETED && entry->entryNumber >= 0 &&
            (DWORD)entry->entryNumber < count)
            state->previous[entry->entryNumber] = entry;
        entry->status = STATUS_DELETED;
    }
}

DWORD MergeRows(MergeState* state, const Listing* scan)
{
    Listing* main = state->main;
    // A main listing whose fill failed holds no pools and cannot take entries.
    if (!main->records || !main->strings)
        return ERROR_CODE_OUT_OF_MEMORY;
    // An index whose last build ran out of memory is empty and would miss every
    // key, appending the whole scan again.
    DWORD result = EnsureIndexBuilt(&main->byLocalFile, main);
    if (result == 0)
        result = EnsureIndexBuilt(&main->byUrl, main);
    // A scan filled under another offset (a daylight-saving change since, or a file
    // read elsewhere) is compared in the main listing's clock, entry by entry.
    BOOL sameClock = scan->zone.offset == main->zone.offset && scan->zone.known == main->zone.known;
    for (LONG row = 0; result == 0 && row < scan->count; row++) {
        if (sameClock) {
            result = MergeOne(state, EntryAt(scan, row));
            continue;
        }
        CacheEntry scanned = *EntryAt(scan, row);
        ReexpressEntryTimes(&scan->zone, &main->zone, &scanned);
        result = MergeOne(state, &scanned);
    }
    if (result != 0)
        return result;

    // Entries that moved were entered under their new texts in place. Only where
    // records share a text would a fresh build order them otherwise: by row.
    if (state->movedSinceBuild && !KeysUnique(&main->byLocalFile)) {
        DiscardIndex(&main->byLocalFile);
        return BuildIndex(&main->byLocalFile, main);
    }
    return 0;
}

}  // namespace

DWORD MergeEntries(Listing* main, const Listing* scan, BOOL straysJustIncluded, BOOL cookiesJustIncluded,
                   BOOL compareBackup)
{
    MergeState state = {main, straysJustIncluded, cookiesJustIncluded, FALSE, NULL, NULL, compareBackup, NULL, 0, 0};
    if (scan->count <= 0) {
        for (LONG row = 0; row < main->count; row++)
            EntryAt(main, row)->status = STATUS_DELETED;
        return 0;
    }
    MarkAllDeleted(&state);
    DWORD result = MergeRows(&state, scan);
    HeapRelease(state.previous);
    return result;
}

void MarkStraysDeleted(Listing* listing)
{
    for (LONG row = 0; row < listing->count; row++) {
        CacheEntry* entry = EntryAt(listing, row);
        if (!entry->url)
            entry->status = STATUS_DELETED;
    }
}

void MarkCookiesDeleted(Listing* listing)
{
    for (LONG row = 0; row < listing->count; row++) {
        CacheEntry* entry = EntryAt(listing, row);
        if (entry->typeFlags & COOKIE_ENTRY_BIT)
            entry->status = STATUS_DELETED;
    }
}

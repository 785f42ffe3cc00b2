// The fourteen column orderings and the sort that applies them.
#include <algorithm>
#include "ordering.h"
#include "collation_sort.h"

DWORD SortDescending = 0;

// Signed keys are compared by value: a difference of two 32-bit values overflows
// when they lie 2^31 or more apart.
static int BySigned(LONG a, LONG b) { return a < b ? -1 : (a > b ? 1 : 0); }
static int ByUnsigned(DWORD a, DWORD b) { return a < b ? -1 : (a > b ? 1 : 0); }
static int ByTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b); }
static int ByText(const char* a, const char* b) { return lstrcmpiA(a ? a : "", b ? b : ""); }

static int EntryNumberKey(const CacheEntry* a, const CacheEntry* b) { return BySigned(a->entryNumber, b->entryNumber); }
static int UrlKey(const CacheEntry* a, const CacheEntry* b) { return ByText(a->url, b->url); }
static int StatusKey(const CacheEntry* a, const CacheEntry* b) { return BySigned(a->status, b->status); }
static int LocalFileKey(const CacheEntry* a, const CacheEntry* b) { return ByText(a->localFile, b->localFile); }
static int SizeKey(const CacheEntry* a, const CacheEntry* b) { return ByUnsigned(a->size, b->size); }
static int LastModifiedKey(const CacheEntry* a, const CacheEntry* b) { return ByTime(a->lastModified, b->lastModified); }
static int LastSyncKey(const CacheEntry* a, const CacheEntry* b) { return ByTime(a->lastSync, b->lastSync); }
static int FlagsKey(const CacheEntry* a, const CacheEntry* b) { return BySigned((LONG)a->typeFlags, (LONG)b->typeFlags); }
static int HitRateKey(const CacheEntry* a, const CacheEntry* b) { return BySigned((LONG)a->hitRate, (LONG)b->hitRate); }
static int UseCountKey(const CacheEntry* a, const CacheEntry* b) { return BySigned((LONG)a->useCount, (LONG)b->useCount); }
static int ExemptKey(const CacheEntry* a, const CacheEntry* b) { return ByUnsigned(a->exemptDelta, b->exemptDelta); }
static int ExpireKey(const CacheEntry* a, const CacheEntry* b) { return ByTime(a->expireTime, b->expireTime); }
static int HeaderKey(const CacheEntry* a, const CacheEntry* b) { return ByText(a->headerText, b->headerText); }

// Last access, and among equal times the URL.
static int LastAccessTimeKey(const CacheEntry* a, const CacheEntry* b) { return ByTime(a->lastAccess, b->lastAccess); }
static int LastAccessKey(const CacheEntry* a, const CacheEntry* b)
{
    int order = LastAccessTimeKey(a, b);
    return order != 0 ? order : UrlKey(a, b);
}

// A column's key, reversed when sorting descending, then the entry number, which
// stays ascending in both directions.
template <int (*Key)(const CacheEntry*, const CacheEntry*)>
static int Ordered(CacheEntry* const* first, CacheEntry* const* second)
{
    const CacheEntry* a = *first;
    const CacheEntry* b = *second;
    int order = SortDescending ? Key(b, a) : Key(a, b);
    return order != 0 ? order : BySigned(a->entryNumber, b->entryNumber);
}

const EntryComparator EntryComparators[SORT_COLUMNS] = {
    Ordered<EntryNumberKey>,
    Ordered<UrlKey>,
    Ordered<StatusKey>,
    Ordered<LocalFileKey>,
    Ordered<SizeKey>,
    Ordered<LastAccessKey>,
    Ordered<LastModifiedKey>,
    Ordered<LastSyncKey>,
    Ordered<FlagsKey>,
    Ordered<HitRateKey>,
    Ordered<UseCountKey>,
    Ordered<ExemptKey>,
    Ordered<ExpireKey>,
    Ordered<HeaderKey>,
};

static const char* UrlText(const CacheEntry* entry) { return entry->url; }
static const char* LocalFileText(const CacheEntry* entry) { return entry->localFile; }
static const char* HeaderText(const CacheEntry* entry) { return entry->headerText; }

// The text columns in the form the text sort takes them: their text, and the
// key compared before it (column 5 compares the last access time first).
static BOOL TextColumn(LONG column, CollationColumn* text)
{
    text->leadingKey = NULL;
    switch (column) {
    case 1: text->text = UrlText; return TRUE;
    case 3: text->text = LocalFileText; return TRUE;
    case 5: text->text = UrlText; text->leadingKey = LastAccessTimeKey; return TRUE;
    case 13: text->text = HeaderText; return TRUE;
    default: return FALSE;
    }
}

void SortListing(Listing* listing, LONG column, DWORD direction)
{
    if (listing->count <= 0 || !listing->records || column < 0 || column >= SORT_COLUMNS)
        return;
    SortDescending = direction;
    void** rows = listing->records->pointers;
    DWORD count = (DWORD)listing->count;

    // lstrcmpiA costs microseconds a call; text columns compare by the ranks learned
    // from the system and by collation keys made at most once per row instead, and
    // fall back to the comparator when there is no memory for the sort's rows.
    CollationColumn text;
    if (TextColumn(column, &text) && SortByCollationKeys(rows, count, &text))
        return;
    EntryComparator compare = EntryComparators[column];
    std::sort(rows, rows + count, [compare](void* first, void* second) {
        CacheEntry* a = (CacheEntry*)first;
        CacheEntry* b = (CacheEntry*)second;
        return compare(&a, &b) < 0;
    });
}

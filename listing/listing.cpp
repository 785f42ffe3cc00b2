// Listing set-up and release, and the carving of records and strings.
#include <string.h>
#include "listing.h"
#include "entry_index.h"

static const DWORD RECORDS_FIRST_BLOCK = 50;
static const DWORD RECORDS_GROWTH = 500;
static const DWORD RECORDS_POINTER_STEP = 100;
static const DWORD STRING_BLOCK = 65504;

char* CopyStringN(Listing* listing, const char* text, DWORD length)
{
    char* copy = (char*)ArenaAlloc(listing->strings, length + 1);
    if (!copy)
        return NULL;
    CopyMemory(copy, text, length);
    copy[length] = '\0';
    return copy;
}

char* CopyString(Listing* listing, const char* text)
{
    return CopyStringN(listing, text, (DWORD)strlen(text));
}

char* CopyHeaderText(Listing* listing, const char* text, DWORD length)
{
    BOOL cut = length >= HEADER_TEXT_LIMIT;
    DWORD kept = cut ? HEADER_TEXT_LIMIT : length;
    char* copy = (char*)ArenaAlloc(listing->strings, kept + (cut ? 4 : 1));
    if (!copy)
        return NULL;
    for (DWORD i = 0; i < kept; i++)
        copy[i] = (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    lstrcpyA(copy + kept, cut ? "..." : "");
    return copy;
}

static void ResetIndex(EntryIndex* index, IndexKeyField keyField)
{
    index->slots = NULL;
    index->tableSize = 0;
    index->probes = 0;
    index->keyField = keyField;
    index->sharedKeys = 0;
    index->incomplete = FALSE;
}

BOOL InitListing(Listing* listing)
{
    listing->error = 0;
    listing->strings = NULL;
    listing->records = NULL;
    listing->flags = 0;
    ResetIndex(&listing->byLocalFile, KEY_LOCAL_FILE);
    ResetIndex(&listing->byUrl, KEY_URL);
    listing->strayCount = 0;
    listing->count = 0;
    // The clock of the fill that follows: every time it stores is converted with it.
    listing->zone = TakeLocalTimeOffset();

    listing->records = CreateArena(RECORDS_FIRST_BLOCK, sizeof(CacheEntry), RECORDS_GROWTH, RECORDS_POINTER_STEP);
    if (listing->records)
        listing->strings = CreateArena(1, STRING_BLOCK, STRING_BLOCK, 0);
    if (!listing->records || !listing->strings) {
        FreeListing(listing);
        listing->error = ERROR_CODE_OUT_OF_MEMORY;
        return FALSE;
    }
    return TRUE;
}

void FreeListing(Listing* listing)
{
    FreeArena(listing->records);
    FreeArena(listing->strings);
    listing->records = NULL;
    listing->strings = NULL;
    DiscardIndex(&listing->byLocalFile);
    DiscardIndex(&listing->byUrl);
    listing->count = 0;
}

CacheEntry* NewEntry(Listing* listing)
{
    // Cleared, so that a field its producer does not know (a whole header) is none.
    CacheEntry* entry = (CacheEntry*)ArenaAlloc(listing->records, sizeof(CacheEntry));
    if (entry)
        ZeroMemory(entry, sizeof *entry);
    return entry;
}

void DropNewEntry(Listing* listing)
{
    RecordPool* pool = listing->records;
    if (!pool || pool->pointerCount != (DWORD)listing->count + 1)
        return;
    BYTE* record = (BYTE*)pool->pointers[listing->count];
    ArenaBlock* block = pool->current;
    BYTE* carvedEnd = ArenaBlockData(block) + (block->capacity - block->remaining);
    if (record + sizeof(CacheEntry) == carvedEnd)
        block->remaining += sizeof(CacheEntry);
    pool->pointers[listing->count] = NULL;
    pool->pointerCount = (DWORD)listing->count;
}

void ReportFillProgress(const FillProgress* progress, const Listing* listing)
{
    if (progress && progress->report && listing->count % FILL_PROGRESS_STEP == 0)
        progress->report(listing, progress->context);
}

BOOL FillStopped(const FillProgress* progress)
{
    return progress && progress->stop && *progress->stop;
}

CacheEntry* EntryAt(const Listing* listing, LONG row)
{
    if (!listing->records || row < 0 || row >= listing->count)
        return NULL;
    return (CacheEntry*)listing->records->pointers[row];
}

void TakeClockOf(Listing* listing, const Listing* other)
{
    if (listing->zone.offset == other->zone.offset && listing->zone.known == other->zone.known)
        return;
    for (LONG row = 0; row < listing->count; row++)
        ReexpressEntryTimes(&listing->zone, &other->zone, EntryAt(listing, row));
    listing->zone = other->zone;
}

void ReexpressEntryTimes(const LocalTimeOffset* from, const LocalTimeOffset* to, CacheEntry* entry)
{
    ReexpressTime(from, to, &entry->lastAccess);
    ReexpressTime(from, to, &entry->lastModified);
    ReexpressTime(from, to, &entry->lastSync);
    ReexpressTime(from, to, &entry->expireTime);
}

static BOOL CopyOptional(Listing* listing, const char* text, char** copy)
{
    *copy = text ? CopyString(listing, text) : NULL;
    return !text || *copy;
}

BOOL AppendEntryCopy(Listing* listing, const CacheEntry* entry)
{
    CacheEntry* copy = NewEntry(listing);
    if (!copy)
        return FALSE;
    *copy = *entry;
    if (!CopyOptional(listing, entry->url, &copy->url) || !CopyOptional(listing, entry->localFile, &copy->localFile) ||
        !CopyOptional(listing, entry->headerText, &copy->headerText) ||
        !CopyOptional(listing, entry->wholeHeader, &copy->wholeHeader)) {
        DropNewEntry(listing);
        return FALSE;
    }
    listing->count++;
    return TRUE;
}

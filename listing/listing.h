// Cache entries, listings and the chunked arena that owns their memory.
#ifndef BRINDLEWICK_LISTING_H
#define BRINDLEWICK_LISTING_H

#include <windows.h>
#include "entry_time.h"

// Win32 error codes used across the listing and file code.
enum {
    ERROR_CODE_NONE = 0,
    ERROR_CODE_OUT_OF_MEMORY = 8,    // ERROR_NOT_ENOUGH_MEMORY
    ERROR_CODE_INVALID_DATA = 13,    // ERROR_INVALID_DATA
    ERROR_CODE_END_OF_FILE = 38      // ERROR_HANDLE_EOF
};

// Bit of CacheEntryType (and typeFlags) that marks a cookie entry.
const DWORD COOKIE_ENTRY_BIT = 0x00100000;
// Bit of CacheEntryType that marks a history entry; such entries are never listed.
const DWORD HISTORY_ENTRY_BIT = 0x00200000;

// One row: a cache entry, a stray file or a record read from a backup file.
// On 32-bit Windows the record is 80 bytes.
struct CacheEntry {
    LONG status;            // EntryStatus code 0..8
    char* url;              // null for a stray file
    char* localFile;        // null for a backup record
    char* headerText;       // flattened to one line, at most 259 characters
    DWORD typeFlags;        // cache entry type bits, or a stray's file attributes
    DWORD size;             // low 32 bits only
    DWORD hitRate;
    DWORD useCount;
    DWORD exemptDelta;      // seconds
    LONG entryNumber;       // the listing's count when the record was made
    FILETIME lastAccess;    // all times local; zero means none
    FILETIME lastModified;
    FILETIME lastSync;
    FILETIME expireTime;
    DWORD fromBackup;
    char* wholeHeader;      // the header as a backup file held it, CR LF and all; null otherwise
};

struct ArenaBlock {
    ArenaBlock* next;
    DWORD capacity;         // data bytes of this block
    DWORD remaining;        // data bytes not carved yet
    // data bytes follow the header
};

// A chain of blocks carved from the front and released only as a whole, with an
// optional creation-ordered array of every allocation.
struct Arena {
    ArenaBlock* current;    // always the last block of the chain
    void** pointers;        // null when pointerStep is 0
    DWORD blockSize;        // data bytes of every block after the first
    DWORD pointerCount;
    DWORD pointerCapacity;
    DWORD pointerStep;
    ArenaBlock first;       // allocated together with the arena; its data follows
};

typedef Arena RecordPool;   // CacheEntry records, pointer array = row order
typedef Arena StringPool;   // NUL-terminated strings, no pointer array

// Which string field of a record an index is keyed on.
enum IndexKeyField { KEY_LOCAL_FILE, KEY_URL };

// A slot of an index: a record and the hash of its key, so that a lookup passes
// records with other keys without reading their texts.
struct IndexSlot {
    CacheEntry* entry;      // null when the slot is free
    DWORD hash;             // KeyHash of the record's key
};

struct EntryIndex {
    IndexSlot* slots;       // tableSize slots
    DWORD tableSize;        // 0: no slot array
    DWORD probes;           // collisions counted by the latest FindEntry that met one
    IndexKeyField keyField;
    DWORD sharedKeys;       // records that share their key with another record in the index
    BOOL incomplete;        // a record that holds a key found no free slot and is missing
};

struct Listing {
    StringPool* strings;
    RecordPool* records;
    LONG count;             // rows, and the entryNumber of the next record
    LONG strayCount;
    DWORD error;            // Win32 code of the latest fill; survives FreeListing
    DWORD clusterSize;      // survives InitListing and FreeListing
    EntryIndex byLocalFile;
    EntryIndex byUrl;
    DWORD flags;            // bit 0: a backup file held a cookie entry
    LocalTimeOffset zone;   // the offset every time of the listing was converted with
};

const DWORD LISTING_HAS_COOKIE = 1;

// Told now and then during a long fill how far it has come, so that the caller can
// show the work going on; it runs on the filling thread and may read the listing,
// never change it. A fill also ends early, between two entries, once `stop` is
// set (from any thread), with ERROR_CANCELLED.
struct FillProgress {
    void (*report)(const Listing* listing, void* context);
    void* context;
    volatile LONG* stop;    // null: the fill cannot be stopped
};
// Entries between two reports.
const LONG FILL_PROGRESS_STEP = 256;
// Reports the listing when its count has just reached a multiple of the step.
void ReportFillProgress(const FillProgress* progress, const Listing* listing);
// Whether the fill was asked to stop.
BOOL FillStopped(const FillProgress* progress);
// Header texts longer than this are cut and end in "...".
const DWORD HEADER_TEXT_LIMIT = 256;

Arena* CreateArena(DWORD count, DWORD elementSize, DWORD growth, DWORD pointerStep);
void* ArenaAlloc(Arena* arena, DWORD bytes);
void FreeArena(Arena* arena);
BYTE* ArenaBlockData(ArenaBlock* block);
DWORD ArenaBytesInUse(const Arena* arena);

char* CopyString(Listing* listing, const char* text);
char* CopyStringN(Listing* listing, const char* text, DWORD length);
// Copies a response header of `length` characters as one line: cut after 256
// characters with "..." appended, every CR and LF turned into a blank.
char* CopyHeaderText(Listing* listing, const char* text, DWORD length);
BOOL InitListing(Listing* listing);
void FreeListing(Listing* listing);

// Carves a cleared record and appends it to the row order; null when memory ran out.
CacheEntry* NewEntry(Listing* listing);
// Appends a copy of the entry, its strings copied into the listing's own pool;
// FALSE (and nothing appended) when memory ran out.
BOOL AppendEntryCopy(Listing* listing, const CacheEntry* entry);
// Takes the record NewEntry just gave back out of the row order, for a record whose
// strings could not be copied: the next record then lands at row count again.
void DropNewEntry(Listing* listing);
// Row i of the listing, or null when there is no such row.
CacheEntry* EntryAt(const Listing* listing, LONG row);
// Re-expresses the entry's four times, converted with `from`, in the clock `to`.
void ReexpressEntryTimes(const LocalTimeOffset* from, const LocalTimeOffset* to, CacheEntry* entry);
// Re-expresses every time of the listing in another listing's clock, so that the
// two name the same moments as the same times (the merge does so by itself).
void TakeClockOf(Listing* listing, const Listing* other);

#endif

// Loading a cache backup file as a listing: header, block table, then one entry per
// record until the zero length.
#include <string.h>
#include "backup_reader.h"
#include "entry_status.h"
#include "entry_time.h"

static const WORD LAYOUT_LIMIT = 80;
static const ULONGLONG BLOCK_BYTES = 168;
// Bytes read from the file at a time. Cached content that lies inside a piece is
// passed over there; a longer stretch is passed over by seeking.
static const DWORD READ_AHEAD = 64 * 1024;

// Reads the file header and the block table and leaves the position at the first
// record: 0, or 13 for anything that is not a backup file's beginning.
static DWORD PassHeaderAndBlocks(HANDLE file)
{
    BYTE header[BACKUP_HEADER_BYTES];
    DWORD got = 0;
    if (!ReadFile(file, header, BACKUP_HEADER_BYTES, &got, NULL) || got != BACKUP_HEADER_BYTES)
        return ERROR_CODE_INVALID_DATA;
    if (memcmp(header, BACKUP_MAGIC, sizeof BACKUP_MAGIC) != 0)
        return ERROR_CODE_INVALID_DATA;
    WORD layout = (WORD)(header[BACKUP_LAYOUT_OFFSET] | (header[BACKUP_LAYOUT_OFFSET + 1] << 8));
    if (layout > LAYOUT_LIMIT)
        return ERROR_CODE_INVALID_DATA;

    BYTE count[4];
    if (!ReadFile(file, count, sizeof count, &got, NULL) || got != sizeof count)
        return ERROR_CODE_INVALID_DATA;
    DWORD blocks = count[0] | (count[1] << 8) | (count[2] << 16) | ((DWORD)count[3] << 24);
    // 168 × N needs 64 bits; a block table that runs past the end of the file is malformed.
    DWORD code = SkipBackupBytes(file, BLOCK_BYTES * blocks);
    return code == 0 ? 0 : ERROR_CODE_INVALID_DATA;
}

static void RecordTime(const BackupRecordBuffer* buffer, DWORD offset, FILETIME* time)
{
    time->dwLowDateTime = RecordDword(buffer, offset);
    time->dwHighDateTime = RecordDword(buffer, offset + 4);
}

// Appends the entry of the record in the buffer: 0 or 8.
static DWORD AddBackupEntry(Listing* listing, const BackupRecordBuffer* buffer, const LocalTimeOffset* zone)
{
    CacheEntry* entry = NewEntry(listing);
    if (!entry)
        return ERROR_CODE_OUT_OF_MEMORY;
    entry->url = CopyString(listing, buffer->url);
    entry->localFile = NULL;
    entry->headerText = NULL;
    entry->wholeHeader = NULL;
    // The listing shows a flattened cut of the header and keeps it whole for the
    // next backup file.
    if (entry->url && buffer->header) {
        entry->headerText = CopyHeaderText(listing, buffer->header, buffer->headerLength);
        entry->wholeHeader = CopyStringN(listing, buffer->header, buffer->headerLength);
    }
    if (!entry->url || (buffer->header && (!entry->headerText || !entry->wholeHeader))) {
        DropNewEntry(listing);
        return ERROR_CODE_OUT_OF_MEMORY;
    }

    FILETIME utc;
    RecordTime(buffer, RECORD_ACCESS, &utc);
    LocalTime(zone, &utc, &entry->lastAccess);
    RecordTime(buffer, RECORD_MODIFIED, &utc);
    LocalModifiedTime(zone, &utc, &entry->lastModified);
    RecordTime(buffer, RECORD_SYNC, &utc);
    LocalTime(zone, &utc, &entry->lastSync);
    RecordTime(buffer, RECORD_EXPIRE, &utc);
    LocalExpireTime(zone, &utc, &entry->expireTime);

    entry->typeFlags = RecordDword(buffer, RECORD_TYPE);
    entry->size = RecordDword(buffer, RECORD_SIZE_LOW);
    entry->hitRate = RecordDword(buffer, RECORD_HIT_RATE);
    entry->useCount = RecordDword(buffer, RECORD_USE_COUNT);
    entry->exemptDelta = RecordDword(buffer, RECORD_EXEMPT_DELTA);
    entry->entryNumber = listing->count;
    entry->status = STATUS_UNCHANGED;
    entry->fromBackup = 1;
    if (entry->typeFlags & COOKIE_ENTRY_BIT)
        listing->flags |= LISTING_HAS_COOKIE;
    listing->count++;
    return 0;
}

// Reads records up to the zero length, skipping each one's content: 0 or the code
// of the first failure. The file is read ahead in pieces of READ_AHEAD bytes.
static DWORD ReadRecords(Listing* listing, HANDLE file, const FillProgress* progress)
{
    BYTE block[READ_AHEAD];
    BackupSource source;
    DWORD code = OpenBackupSource(&source, file, block, sizeof block);
    if (code != 0)
        return code;
    BackupRecordBuffer buffer = {};
    const LocalTimeOffset zone = listing->zone;
    while ((code = ReadBackupRecordFrom(&buffer, &source)) == 0) {
        if ((code = AddBackupEntry(listing, &buffer, &zone)) != 0)
            break;
        ReportFillProgress(progress, listing);
        if (FillStopped(progress)) {
            code = ERROR_CANCELLED;
            break;
        }
        if ((code = SkipSourceBytes(&source, RecordDword(&buffer, RECORD_SIZE_LOW))) != 0)
            break;
    }
    ReleaseBackupRecordBuffer(&buffer);
    return code == ERROR_CODE_END_OF_FILE ? 0 : code;
}

DWORD LoadBackupFile(const char* path, Listing* listing, const FillProgress* progress)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        listing->error = code ? code : ERROR_FILE_NOT_FOUND;
        return listing->error;
    }
    DWORD code = PassHeaderAndBlocks(file);
    if (code != 0) {
        CloseHandle(file);
        listing->error = code;
        return code;
    }
    if (!InitListing(listing)) {
        CloseHandle(file);
        return listing->error;
    }
    code = ReadRecords(listing, file, progress);
    CloseHandle(file);
    if (code != 0) {
        // Entries of a file that broke off part-way are not shown, and its cookies
        // switch nothing on.
        FreeListing(listing);
        listing->flags = 0;
    }
    listing->error = code;
    return code;
}

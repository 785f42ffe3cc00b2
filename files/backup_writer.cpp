// Writing a cache backup file: the header, no blocks, then each entry's record
// followed by its cached file's bytes, then the zero length.
#include <string.h>
#include "archive_time.h"
#include "backup_writer.h"
#include "backup_reader.h"
#include "entry_header.h"
#include "entry_status.h"
#include "entry_time.h"
#include "file_copy.h"
#include "safe_file.h"

namespace {

// Bytes of a cached file read at a time; progress is told after each piece.
const DWORD COPY_PIECE = 64 * 1024;

struct BackupSave {
    SafeFile* file;
    const SaveProgress* progress;
    const LocalTimeOffset* zone;    // the listing's clock
    HeaderFetch headers;            // the cache's headers, fetched one by one
    LONG done;
    LONG total;
    BOOL cancelled;
};

// Entries a backup file can hold: those known by a URL, and still in the cache.
BOOL IsSaved(const CacheEntry* entry)
{
    return entry && entry->url && entry->status != STATUS_DELETED;
}

LONG CountSaved(const Listing* listing)
{
    LONG count = 0;
    for (LONG row = 0; row < listing->count; row++)
        count += IsSaved(EntryAt(listing, row)) ? 1 : 0;
    return count;
}

// Tells the progress how far the save has come; gives FALSE once it cancelled.
BOOL GoOn(BackupSave* save)
{
    const SaveProgress* progress = save->progress;
    if (progress && progress->report && !save->cancelled &&
        !progress->report(save->done, save->total, save->file->position, progress->context))
        save->cancelled = TRUE;
    return !save->cancelled;
}

void PutField(BYTE* record, DWORD offset, DWORD value)
{
    record[offset] = (BYTE)value;
    record[offset + 1] = (BYTE)(value >> 8);
    record[offset + 2] = (BYTE)(value >> 16);
    record[offset + 3] = (BYTE)(value >> 24);
}

// A listing time (local) as the file's UTC, converted back with the offset the
// listing was filled with, whatever the zone or season now; a time of zero
// ("None") stays zero, which loads as zero in every zone.
void PutTime(BYTE* record, DWORD offset, const FILETIME& local, const LocalTimeOffset* zone)
{
    FILETIME utc;
    UtcTime(zone, &local, &utc);
    PutField(record, offset, utc.dwLowDateTime);
    PutField(record, offset + 4, utc.dwHighDateTime);
}

// The extension of a path's file name, after its last dot, or null without one.
const char* FileExtension(const char* path)
{
    const char* extension = NULL;
    for (const char* c = path; c && *c; c++) {
        if (*c == '.')
            extension = c + 1;
        else if (*c == '\\' || *c == '/' || *c == ':')
            extension = NULL;
    }
    return extension && *extension ? extension : NULL;
}

// The entry's record, saying that `contentBytes` bytes of content follow, with the
// header exactly as its source holds it. Its
// string fields hold each string's offset in the record; the reader only asks
// whether they are zero.
void PutRecord(BackupSave* save, const CacheEntry* entry, DWORD contentBytes)
{
    SafeFile* file = save->file;
    const LocalTimeOffset* zone = save->zone;
    const char* extension = FileExtension(entry->localFile);
    DWORD urlBytes = (DWORD)strlen(entry->url) + 1;
    DWORD extensionBytes = extension ? (DWORD)strlen(extension) + 1 : 0;
    DWORD headerLength;
    const char* header = WholeHeader(&save->headers, entry, &headerLength);
    DWORD headerBytes = header ? headerLength + 1 : 0;

    BYTE record[RECORD_FIXED_PART] = {};
    PutField(record, 0, RECORD_FIXED_PART + urlBytes + extensionBytes + headerBytes);
    PutField(record, RECORD_URL, RECORD_FIXED_PART);
    PutField(record, RECORD_TYPE, entry->typeFlags);
    PutField(record, RECORD_USE_COUNT, entry->useCount);
    PutField(record, RECORD_HIT_RATE, entry->hitRate);
    PutField(record, RECORD_SIZE_LOW, contentBytes);
    PutTime(record, RECORD_MODIFIED, entry->lastModified, zone);
    PutTime(record, RECORD_EXPIRE, entry->expireTime, zone);
    PutTime(record, RECORD_ACCESS, entry->lastAccess, zone);
    PutTime(record, RECORD_SYNC, entry->lastSync, zone);
    if (header) {
        PutField(record, RECORD_HEADER, RECORD_FIXED_PART + urlBytes + extensionBytes);
        PutField(record, RECORD_HEADER_SIZE, headerBytes);
    }
    if (extension)
        PutField(record, RECORD_EXTENSION, RECORD_FIXED_PART + urlBytes);
    PutField(record, RECORD_EXEMPT_DELTA, entry->exemptDelta);

    PutSafeBytes(file, record, sizeof record);
    PutSafeBytes(file, entry->url, urlBytes);
    if (extension)
        PutSafeBytes(file, extension, extensionBytes);
    if (header) {
        PutSafeBytes(file, header, headerLength);
        PutSafeBytes(file, "", 1);
    }
}

// Copies up to `planned` bytes of the source; gives how many it copied, fewer
// when a read failed, the file ended early or the save was cancelled.
DWORD CopyContent(BackupSave* save, HANDLE source, DWORD planned)
{
    BYTE piece[COPY_PIECE];
    DWORD copied = 0;
    while (copied < planned && save->file->error == 0 && GoOn(save)) {
        DWORD wanted = planned - copied < COPY_PIECE ? planned - copied : COPY_PIECE, got = 0;
        if (!ReadFile(source, piece, wanted, &got, NULL) || got == 0)
            break;
        PutSafeBytes(save->file, piece, got);
        copied += got;
    }
    return copied;
}

// Puts one entry and the bytes of its cached file as they can be read now; a file
// that cannot be read is no failure of the save. Gives whether the content is the
// entry's whole file.
BOOL PutEntry(BackupSave* save, const CacheEntry* entry)
{
    HANDLE source = INVALID_HANDLE_VALUE;
    if (entry->localFile && entry->localFile[0])
        source = OpenCachedFile(entry->localFile);
    LARGE_INTEGER size;
    size.QuadPart = 0;
    if (source != INVALID_HANDLE_VALUE && !GetFileSizeEx(source, &size))
        size.QuadPart = 0;
    // The size field holds 32 bits: a larger file keeps only its first 4 GiB.
    DWORD planned = (ULONGLONG)size.QuadPart > MAXDWORD ? MAXDWORD : (DWORD)size.QuadPart;

    ULONGLONG sizeField = save->file->position + RECORD_SIZE_LOW;
    PutRecord(save, entry, planned);
    DWORD copied = 0;
    if (source != INVALID_HANDLE_VALUE) {
        copied = CopyContent(save, source, planned);
        CloseHandle(source);
    }
    // Never more bytes claimed than were written.
    if (copied != planned)
        PatchSafeDword(save->file, sizeField, copied);
    return source != INVALID_HANDLE_VALUE && copied == (ULONGLONG)size.QuadPart && copied == entry->size;
}

// The header with the moment of saving, for a history that orders archives by it.
void PutFileHeader(SafeFile* file)
{
    BYTE header[BACKUP_HEADER_BYTES + 4] = {};  // the block count, 0, follows the header
    memcpy(header, BACKUP_MAGIC, sizeof BACKUP_MAGIC);
    header[BACKUP_LAYOUT_OFFSET] = (BYTE)RECORD_FIXED_PART;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    StampArchiveTime(header, &now);
    PutSafeBytes(file, header, sizeof header);
}

}  // namespace

DWORD SaveBackupFile(const char* path, const Listing* listing, const SaveProgress* progress,
                     BackupSaveOutcome* outcome)
{
    outcome->saved = outcome->incomplete = 0;
    SafeFile file;
    DWORD code = OpenSafeFile(&file, path);
    if (code != 0)
        return code;
    BackupSave save = {&file, progress, &listing->zone, {NULL, 0}, 0, CountSaved(listing), FALSE};
    PutFileHeader(&file);
    for (LONG row = 0; row < listing->count && file.error == 0 && GoOn(&save); row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (!IsSaved(entry))
            continue;
        if (!PutEntry(&save, entry))
            outcome->incomplete++;
        outcome->saved++;
        save.done++;
    }
    ReleaseHeaderFetch(&save.headers);
    if (!GoOn(&save)) {
        DiscardSafeFile(&file);
        return ERROR_CANCELLED;
    }
    const BYTE endOfRecords[4] = {0, 0, 0, 0};
    PutSafeBytes(&file, endOfRecords, sizeof endOfRecords);
    return CommitSafeFile(&file);
}

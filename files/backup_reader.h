// Reading cache backup files (*.cbf) into a listing.
#ifndef BRINDLEWICK_BACKUP_READER_H
#define BRINDLEWICK_BACKUP_READER_H

#include "listing.h"

// The file header: the magic (13 characters and a NUL), the layout value (16 bits)
// at BACKUP_LAYOUT_OFFSET, and bytes not read, 32 in all; the block count follows.
const char BACKUP_MAGIC[14] = "QZTIFARCHIVE1";
const DWORD BACKUP_HEADER_BYTES = 32;
const DWORD BACKUP_LAYOUT_OFFSET = 14;

// Offsets of a record's fields, counted from the start of the record (its length).
// The record is an INTERNET_CACHE_ENTRY_INFOA in its 32-bit layout; the strings it
// holds follow its fixed part.
enum BackupRecordOffset {
    RECORD_URL = 4,             // non-zero when the URL string is present
    RECORD_TYPE = 12,
    RECORD_USE_COUNT = 16,
    RECORD_HIT_RATE = 20,
    RECORD_SIZE_LOW = 24,       // also the number of content bytes after the record
    RECORD_MODIFIED = 32,
    RECORD_EXPIRE = 40,
    RECORD_ACCESS = 48,
    RECORD_SYNC = 56,
    RECORD_HEADER = 64,         // non-zero when the header text is present
    RECORD_HEADER_SIZE = 68,    // not read
    RECORD_EXTENSION = 72,      // non-zero when the file-extension string is present
    RECORD_EXEMPT_DELTA = 76,
    RECORD_FIXED_PART = 80      // the strings start here
};

// The record being decoded: the record's bytes at their file offsets from 4 on
// (the first four bytes are unused), with the strings found in it. Start it all
// zero and hand it to ReleaseBackupRecordBuffer when the load ends.
struct BackupRecordBuffer {
    BYTE* bytes;            // capacity bytes, or null
    DWORD capacity;
    DWORD length;           // L of the record in the buffer
    const char* url;        // never null once a record has been read
    const char* extension;  // null when the record has none
    const char* header;     // null when the record has none
    DWORD headerLength;     // without the NUL
};

// Fills an empty (freed or never filled) listing from a backup file and gives the
// outcome, which also stays in the listing's error. A file whose header is not a
// backup file's leaves the listing untouched but for error; a file that goes wrong
// past its header leaves the listing freed, so that no half-read file is ever shown.
// `progress`, when given, hears of the entries read as the load goes on.
DWORD LoadBackupFile(const char* path, Listing* listing, const FillProgress* progress = NULL);
// Reads the next record: 0, 38 at the end marker, 13 for a malformed record,
// 8 when the buffer cannot grow, or the system's code of a failed read. A length
// that the rest of the file cannot hold is refused before any memory is asked for.
DWORD ReadBackupRecord(BackupRecordBuffer* buffer, HANDLE file);
void ReleaseBackupRecordBuffer(BackupRecordBuffer* buffer);

// A 32-bit little-endian field of the record in the buffer.
DWORD RecordDword(const BackupRecordBuffer* buffer, DWORD offset);
// Moves the file position forward by a 64-bit distance: 0, 13 when the target lies
// past the end of the file (the position then stays), or the system's code.
DWORD SkipBackupBytes(HANDLE file, ULONGLONG distance);

// Where records are read from: the file itself, or a read-ahead block over it. A
// system call costs about as much as decoding a whole record, so a load reads the
// file in large pieces and takes records and skipped content out of them.
struct BackupSource {
    HANDLE file;
    ULONGLONG size;         // the file's size when reading began
    ULONGLONG position;     // offset of the next byte to take
    ULONGLONG filePointer;  // where the system's file pointer stands
    BYTE* block;            // read-ahead bytes, or null: every read asks the system
    DWORD blockCapacity;
    ULONGLONG blockStart;   // offset of block[0]
    DWORD blockBytes;       // bytes of the block that hold the file's
};

// Starts reading at the file's present position, through `block` (`capacity`
// bytes, owned by the caller) or, when it is null, straight from the file. Gives 0
// or the system's code.
DWORD OpenBackupSource(BackupSource* source, HANDLE file, BYTE* block, DWORD capacity);
// ReadBackupRecord from a source.
DWORD ReadBackupRecordFrom(BackupRecordBuffer* buffer, BackupSource* source);
// SkipBackupBytes in a source.
DWORD SkipSourceBytes(BackupSource* source, ULONGLONG distance);

#endif

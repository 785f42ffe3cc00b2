// Reading cache backup files (*.cbf) into a listing.
#ifndef BRINDLEWICK_BACKUP_READER_H
#define BRINDLEWICK_BACKUP_READER_H

#include "listing.h"

// The record being decoded: the record's bytes at their file offsets from 4 on,
// with the strings found in it.
struct BackupRecordBuffer {
    BYTE* bytes;            // capacity bytes, or null
    DWORD capacity;
    DWORD length;           // L of the record in the buffer
    const char* url;        // null when the record has none
    const char* extension;
    const char* header;
    DWORD headerLength;     // without the NUL
};

// Fills an empty (freed or never filled) listing from a backup file; the outcome
// is in the listing's error.
Listing* LoadBackupFile(const char* path, Listing* listing);
// Reads the next record: 0, 38 at the end marker, 13 for a malformed record,
// 8 when the buffer cannot grow, or the system's code of a failed read.
DWORD ReadBackupRecord(BackupRecordBuffer* buffer, HANDLE file);

#endif

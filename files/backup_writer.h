// Writing a listing as a cache backup file (*.cbf) that LoadBackupFile reads back,
// with the content of every entry's cached file.
#ifndef BRINDLEWICK_BACKUP_WRITER_H
#define BRINDLEWICK_BACKUP_WRITER_H

#include "listing.h"

// Told after every entry, and every piece of a long file, how far the save has
// come; answers FALSE to cancel it. It must not touch the listing.
struct SaveProgress {
    BOOL (*report)(LONG entriesDone, LONG entriesTotal, ULONGLONG bytesWritten, void* context);
    void* context;
};

struct BackupSaveOutcome {
    LONG saved;         // entries written
    LONG incomplete;    // of those, written without their complete cached file
};

// Writes every entry that has a URL and is not Deleted, in the listing's order:
// the header (with the moment of saving, see archive_time.h), an empty block
// table, then per entry its record (fields, URL, the local file's extension,
// header text) followed by the bytes of its cached file as read now, and the
// zero length at the end. A file that cannot be read whole (missing, locked, or
// not the size the entry says) is written with the bytes that were read, its
// size saying how many; an entry without a local file (one read from a backup
// file) is written with none. Both count as incomplete.
// The file takes the place of `path` only when complete. Gives 0, ERROR_CANCELLED
// when `progress` cancelled, or the Win32 code of the failure; on anything but 0
// the file that was there before is untouched.
DWORD SaveBackupFile(const char* path, const Listing* listing, const SaveProgress* progress,
                     BackupSaveOutcome* outcome);

#endif

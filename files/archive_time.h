// The moment a cache backup file was saved, kept in the header bytes that the
// reader passes over: a tag, then the UTC time.
#ifndef BRINDLEWICK_ARCHIVE_TIME_H
#define BRINDLEWICK_ARCHIVE_TIME_H

#include <windows.h>

// Header bytes 16..23 hold the tag (7 characters and a NUL), 24..31 the FILETIME,
// little-endian. A file without the tag was written before the time was kept.
const char ARCHIVE_TIME_TAG[8] = "BWSAVED";
const DWORD ARCHIVE_TIME_OFFSET = 16;

// Puts the tag and the time into the file header being written (32 bytes).
void StampArchiveTime(BYTE* header, const FILETIME* utc);
// The moment the file at `path` was saved: the time in its header when tagged,
// else (a file of an older writer) the file's last-write time. Gives 0 or the
// system's code.
DWORD ReadArchiveTime(const char* path, FILETIME* utc);

#endif

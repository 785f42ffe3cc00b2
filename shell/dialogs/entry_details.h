// The texts of the Properties dialog: an entry's fields in full, in words.
#ifndef BRINDLEWICK_ENTRY_DETAILS_H
#define BRINDLEWICK_ENTRY_DETAILS_H

#include <windows.h>
#include "listing.h"   // and entry_time.h

// Room for any one of the texts below but the header lines.
const int DETAIL_TEXT_BYTES = 320;

// What the status means: "Revisited: new last-access time".
const char* StatusWords(LONG status);
// "3,000 bytes (2.9 KB)", "2,097,152 bytes (2.0 MB)".
void FormatSizeDetail(DWORD size, char* text);
// A listing time (local, converted with `zone`) as the zone's local time of that
// date with its name and offset, and as UTC in ISO 8601: "2005-07-01 14:00:00 W.
// Europe Daylight Time (UTC+02:00), 2005-07-01T12:00:00Z"; "None" for no time.
void FormatTimeDetail(const LocalTimeOffset* zone, const FILETIME* listed, char* text);
// The type flags in hexadecimal and by name ("0x00100001: normal, cookie"); a
// stray's flags are its file attributes and are named as such.
void FormatFlagsDetail(const CacheEntry* entry, char* text);
// The response header one header per line (CR LF between them): the listing
// keeps it on one line, each line break turned into a blank. `text` holds
// `capacity` bytes.
void FormatHeaderLines(const char* header, char* text, int capacity);

#endif

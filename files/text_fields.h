// The pieces of a field that the files programs read (the CSV, JSON Lines, the
// body file) write alike: texts converted to UTF-8 and times as ISO 8601 text.
#ifndef BRINDLEWICK_TEXT_FIELDS_H
#define BRINDLEWICK_TEXT_FIELDS_H

#include <windows.h>
#include "safe_file.h"

// Writes UTF-8 bytes of a field the way its format escapes them.
typedef void (*PutUtf8Bytes)(SafeFile* file, const char* utf8, DWORD length);

// Hands an ANSI text (the system's code page) to `put` in UTF-8: an all-ASCII
// text as it is, any other converted first. A text that cannot be converted for
// want of memory sets the file's error.
void PutAnsiAsUtf8(SafeFile* file, const char* text, PutUtf8Bytes put);

// Room for either text below: "2026-07-15T14:00:00+02:00" is 25 bytes.
const int ISO_TIME_BYTES = 26;
// "2026-07-15T12:00:00Z" of a UTC time; gives the position after it, or `out`
// itself (nothing written) when the time is zero or cannot be converted.
char* PutUtcText(char* out, const FILETIME* utc);
// The moment as the machine's zone shows it on that date, with that date's
// offset ("2026-07-15T14:00:00+02:00" in Berlin, in winter too); `out` itself
// when the system cannot convert it. No NUL is written by either.
char* PutZoneText(char* out, const FILETIME* utc);

#endif

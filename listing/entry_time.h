#ifndef BRINDLEWICK_ENTRY_TIME_H
#define BRINDLEWICK_ENTRY_TIME_H

#include <windows.h>

// Room FormatEntryTime needs, NUL included.
const int ENTRY_TIME_TEXT = 21;

// Renders a listing time (already local) as "2005/03/07 9:05.07", or "None" when the
// time is zero or not a valid date.
void FormatEntryTime(char* text, const FILETIME* time);

// The zone's offset from UTC as FileTimeToLocalFileTime applies it: the bias in
// force now, the same for every date whatever its season. A fill takes it once and
// the listing keeps it: each conversion is then one addition instead of a system
// call, and every conversion back to UTC uses the same offset, whatever the zone
// or season when it is made.
struct LocalTimeOffset {
    ULONGLONG offset;       // local time minus UTC, modulo 2^64
    BOOL known;             // false: every time goes through the system call
};
LocalTimeOffset TakeLocalTimeOffset();

// Conversions from a source's UTC times into the local times a listing holds, each
// what FileTimeToLocalFileTime gives; zero (no time) stays zero in every zone, and
// a conversion the system refuses gives zero.
void LocalTime(const LocalTimeOffset* zone, const FILETIME* utc, FILETIME* local);
// As LocalTime, and zero when the converted value has its top bit set.
void LocalModifiedTime(const LocalTimeOffset* zone, const FILETIME* utc, FILETIME* local);
// As LocalTime: zero (no expiry) stays zero.
void LocalExpireTime(const LocalTimeOffset* zone, const FILETIME* utc, FILETIME* local);
// The inverse of LocalTime with the listing's own offset, for writers that store
// or show UTC, so that LocalTime gives the listing's time back. Zero stays zero; a
// conversion the system refuses gives zero.
void UtcTime(const LocalTimeOffset* zone, const FILETIME* local, FILETIME* utc);
// A listing time of one offset as the time of another that names the same moment;
// zero stays zero.
void ReexpressTime(const LocalTimeOffset* from, const LocalTimeOffset* to, FILETIME* time);

// The moment as the machine's zone shows it on that date, with that date's offset
// from UTC in minutes (daylight saving as it was or will be then), as people there
// read it. FALSE when the system cannot convert it.
BOOL ZoneTimeOfDate(const FILETIME* utc, SYSTEMTIME* local, LONG* offsetMinutes);

// The decimal digits of `value`, at least `digits` of them with leading zeros;
// gives the position after them. No NUL is written.
char* PutDecimal(char* out, unsigned value, int digits);

#endif

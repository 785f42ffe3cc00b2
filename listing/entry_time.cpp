#include "entry_time.h"

char* PutDecimal(char* out, unsigned value, int digits)
{
    char reversed[8];
    int count = 0;
    do {
        reversed[count++] = (char)('0' + value % 10);
        value /= 10;
    } while (value && count < 8);
    for (; count < digits; digits--)
        *out++ = '0';
    while (count)
        *out++ = reversed[--count];
    return out;
}

static const ULONGLONG TOP_BIT = 0x8000000000000000ULL;
static const ULONGLONG TICKS_PER_SECOND = 10000000;
static const ULONGLONG TICKS_PER_DAY = 86400 * TICKS_PER_SECOND;

static ULONGLONG Quad(const FILETIME& time)
{
    return ((ULONGLONG)time.dwHighDateTime << 32) | time.dwLowDateTime;
}

// The text of "%04d/%02d/%02d %d:%02d.%02d", made by hand: the list view asks for a
// date per visible cell and the report writes one per line. Rows in the order of
// a time column mostly share their day with the row before, and the system's
// calendar conversion costs more than the rest of the text, so the date of the day
// converted last is kept for the next time within it.
void FormatEntryTime(char* text, const FILETIME* time)
{
    // Per thread: the list's cells and a report written by the worker at once.
    static thread_local ULONGLONG dayStart = TOP_BIT;    // no day yet
    static thread_local SYSTEMTIME date;
    ULONGLONG value = Quad(*time);
    DWORD secondOfDay;
    // FileTimeToSystemTime refuses values with the top bit set.
    if (value == 0 || (value & TOP_BIT)) {
        lstrcpyA(text, "None");
        return;
    }
    if (value - dayStart < TICKS_PER_DAY) {
        secondOfDay = (DWORD)((value - dayStart) / TICKS_PER_SECOND);
    } else if (FileTimeToSystemTime(time, &date)) {
        dayStart = value - value % TICKS_PER_DAY;
        secondOfDay = date.wHour * 3600u + date.wMinute * 60u + date.wSecond;
    } else {
        dayStart = TOP_BIT;
        lstrcpyA(text, "None");
        return;
    }
    char* out = PutDecimal(text, date.wYear, 4);
    *out++ = '/';
    out = PutDecimal(out, date.wMonth, 2);
    *out++ = '/';
    out = PutDecimal(out, date.wDay, 2);
    *out++ = ' ';
    out = PutDecimal(out, secondOfDay / 3600, 1);
    *out++ = ':';
    out = PutDecimal(out, secondOfDay / 60 % 60, 2);
    *out++ = '.';
    out = PutDecimal(out, secondOfDay % 60, 2);
    *out = '\0';
}

// The date the offset is read at (in 2015); any date gives the same offset.
static const ULONGLONG OFFSET_PROBE = 0x01D0000000000000ULL;

LocalTimeOffset TakeLocalTimeOffset()
{
    LocalTimeOffset zone = {0, FALSE};
    FILETIME utc = {(DWORD)OFFSET_PROBE, (DWORD)(OFFSET_PROBE >> 32)}, local;
    if (FileTimeToLocalFileTime(&utc, &local)) {
        zone.offset = Quad(local) - OFFSET_PROBE;
        zone.known = TRUE;
    }
    return zone;
}

void LocalTime(const LocalTimeOffset* zone, const FILETIME* utc, FILETIME* local)
{
    ULONGLONG value = Quad(*utc);
    if (value == 0) {
        local->dwLowDateTime = local->dwHighDateTime = 0;
        return;
    }
    ULONGLONG shifted = value + zone->offset;
    // Times whose conversion would pass 0 or 2^63 are left to the system, which
    // decides itself what such a result is.
    if (zone->known && !(value & TOP_BIT) && !(shifted & TOP_BIT)) {
        local->dwLowDateTime = (DWORD)shifted;
        local->dwHighDateTime = (DWORD)(shifted >> 32);
    } else if (!FileTimeToLocalFileTime(utc, local)) {
        local->dwLowDateTime = local->dwHighDateTime = 0;
    }
}

void LocalModifiedTime(const LocalTimeOffset* zone, const FILETIME* utc, FILETIME* local)
{
    LocalTime(zone, utc, local);
    if (local->dwHighDateTime & 0x80000000)
        local->dwLowDateTime = local->dwHighDateTime = 0;
}

void LocalExpireTime(const LocalTimeOffset* zone, const FILETIME* utc, FILETIME* local)
{
    LocalTime(zone, utc, local);
}

static void SetQuad(FILETIME* time, ULONGLONG value)
{
    time->dwLowDateTime = (DWORD)value;
    time->dwHighDateTime = (DWORD)(value >> 32);
}

void UtcTime(const LocalTimeOffset* zone, const FILETIME* local, FILETIME* utc)
{
    ULONGLONG value = Quad(*local);
    if (value == 0)
        SetQuad(utc, 0);
    else if (zone->known)
        SetQuad(utc, value - zone->offset);
    else if (!LocalFileTimeToFileTime(local, utc))
        SetQuad(utc, 0);
}

void ReexpressTime(const LocalTimeOffset* from, const LocalTimeOffset* to, FILETIME* time)
{
    ULONGLONG value = Quad(*time);
    if (value != 0 && from->known && to->known)
        SetQuad(time, value - from->offset + to->offset);
}

// The offset of the last quarter hour converted is kept: zones change their offset
// on a local whole or half hour, and every zone's offset is a multiple of fifteen
// minutes, so a change falls on a quarter hour of UTC too; rows written one after
// another mostly share their quarter hour.
static const ULONGLONG TICKS_PER_QUARTER_HOUR = 900 * TICKS_PER_SECOND;

BOOL ZoneTimeOfDate(const FILETIME* utc, SYSTEMTIME* local, LONG* offsetMinutes)
{
    static thread_local ULONGLONG cachedQuarter = TOP_BIT;
    static thread_local LONGLONG cachedOffset;
    ULONGLONG value = Quad(*utc);
    if (value & TOP_BIT)
        return FALSE;
    ULONGLONG quarter = value / TICKS_PER_QUARTER_HOUR;
    if (quarter != cachedQuarter) {
        SYSTEMTIME utcParts, localParts;
        FILETIME localTime;
        if (!FileTimeToSystemTime(utc, &utcParts) || !SystemTimeToTzSpecificLocalTime(NULL, &utcParts, &localParts) ||
            !SystemTimeToFileTime(&localParts, &localTime))
            return FALSE;
        // Whole minutes: SYSTEMTIME keeps milliseconds, which the difference drops.
        cachedOffset = ((LONGLONG)Quad(localTime) - (LONGLONG)(value - value % 10000)) / (60 * (LONGLONG)TICKS_PER_SECOND);
        cachedQuarter = quarter;
    }
    *offsetMinutes = (LONG)cachedOffset;
    FILETIME localTime;
    SetQuad(&localTime, value + (ULONGLONG)(cachedOffset * 60 * (LONGLONG)TICKS_PER_SECOND));
    return FileTimeToSystemTime(&localTime, local);
}

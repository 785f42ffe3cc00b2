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

// The text of "%04d/%02d/%02d %d:%02d.%02d", made by hand: the list view asks for a
// date per visible cell and the report writes one per line.
void FormatEntryTime(char* text, const FILETIME* time)
{
    SYSTEMTIME parts;
    if ((time->dwLowDateTime == 0 && time->dwHighDateTime == 0) || !FileTimeToSystemTime(time, &parts)) {
        lstrcpyA(text, "None");
        return;
    }
    char* out = PutDecimal(text, parts.wYear, 4);
    *out++ = '/';
    out = PutDecimal(out, parts.wMonth, 2);
    *out++ = '/';
    out = PutDecimal(out, parts.wDay, 2);
    *out++ = ' ';
    out = PutDecimal(out, parts.wHour, 1);
    *out++ = ':';
    out = PutDecimal(out, parts.wMinute, 2);
    *out++ = '.';
    out = PutDecimal(out, parts.wSecond, 2);
    *out = '\0';
}

void LocalTime(const FILETIME* utc, FILETIME* local)
{
    if (!FileTimeToLocalFileTime(utc, local))
        local->dwLowDateTime = local->dwHighDateTime = 0;
}

void LocalModifiedTime(const FILETIME* utc, FILETIME* local)
{
    LocalTime(utc, local);
    if (local->dwHighDateTime & 0x80000000)
        local->dwLowDateTime = local->dwHighDateTime = 0;
}

void LocalExpireTime(const FILETIME* utc, FILETIME* local)
{
    if (utc->dwLowDateTime == 0 && utc->dwHighDateTime == 0)
        *local = *utc;
    else
        LocalTime(utc, local);
}

void UtcTime(const FILETIME* local, FILETIME* utc)
{
    if (!LocalFileTimeToFileTime(local, utc))
        utc->dwLowDateTime = utc->dwHighDateTime = 0;
}

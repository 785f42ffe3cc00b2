#include "entry_time.h"

void FormatEntryTime(char* text, const FILETIME* time)
{
    SYSTEMTIME parts;
    if ((time->dwLowDateTime == 0 && time->dwHighDateTime == 0) || !FileTimeToSystemTime(time, &parts)) {
        lstrcpyA(text, "None");
        return;
    }
    wsprintfA(text, "%04d/%02d/%02d %d:%02d.%02d", parts.wYear, parts.wMonth, parts.wDay,
              parts.wHour, parts.wMinute, parts.wSecond);
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

#include "entry_details.h"
#include "entry_status.h"
#include "number_text.h"

const char* StatusWords(LONG status)
{
    switch (status) {
    case STATUS_DELETED: return "Deleted: gone from the cache since the previous scan";
    case STATUS_CHANGED: return "Changed: counters, type, sync or expire time changed";
    case STATUS_REVISITED: return "Revisited: new last-access time";
    case STATUS_UPDATED: return "Updated: new last-modified time";
    case STATUS_MOVED: return "Moved: the URL now lives in another local file";
    case STATUS_FINISHED: return "Finished: a stray file that the cache now names";
    case STATUS_ADDED: return "Added: new since the previous scan";
    default: return "Unchanged";
    }
}

// `size` in tenths of `unit`, rounded: 3000 bytes are 29 tenths of a KB.
static DWORD Tenths(DWORD size, DWORD unit)
{
    return (DWORD)(((ULONGLONG)size * 10 + unit / 2) / unit);
}

void FormatSizeDetail(DWORD size, char* text)
{
    const DWORD KB = 1024, MB = 1024 * 1024;
    char bytes[GROUPED_NUMBER_BYTES];
    FormatGroupedNumber(size, bytes);
    BOOL inMB = size >= MB;
    DWORD tenths = Tenths(size, inMB ? MB : KB);
    wsprintfA(text, "%s bytes (%lu.%lu %s)", bytes, tenths / 10, tenths % 10, inMB ? "MB" : "KB");
}

// The zone's name for the offset from UTC in minutes: its standard name or, for
// the daylight offset, its daylight name; "" when the system names none.
static void ZoneName(LONG offset, char* name, int capacity)
{
    TIME_ZONE_INFORMATION zone;
    name[0] = '\0';
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return;
    const WCHAR* wide = offset == -(zone.Bias + zone.StandardBias) ? zone.StandardName : zone.DaylightName;
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, name, capacity, NULL, NULL))
        name[0] = '\0';
}

// The listing's time back in UTC with the offset it was converted with, then as the
// machine's zone shows that moment on its date (with the daylight saving rule of
// that date).
void FormatTimeDetail(const LocalTimeOffset* zone, const FILETIME* listed, char* text)
{
    FILETIME utc;
    SYSTEMTIME utcParts, localParts;
    LONG offset;
    UtcTime(zone, listed, &utc);
    if ((utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) || !FileTimeToSystemTime(&utc, &utcParts) ||
        !ZoneTimeOfDate(&utc, &localParts, &offset)) {
        lstrcpyA(text, "None");
        return;
    }
    LONG hours = (offset < 0 ? -offset : offset) / 60, minutes = (offset < 0 ? -offset : offset) % 60;
    char name[64];
    ZoneName(offset, name, sizeof(name));
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u %s%s(UTC%c%02ld:%02ld), %04u-%02u-%02uT%02u:%02u:%02uZ",
              localParts.wYear, localParts.wMonth, localParts.wDay, localParts.wHour, localParts.wMinute,
              localParts.wSecond, name, name[0] ? " " : "", offset < 0 ? '-' : '+', hours, minutes, utcParts.wYear,
              utcParts.wMonth, utcParts.wDay, utcParts.wHour, utcParts.wMinute, utcParts.wSecond);
}

struct FlagName {
    DWORD bit;
    const char* name;
};

static const FlagName CacheEntryTypes[] = {
    {0x00000001, "normal"}, {0x00000004, "sticky"}, {0x00000008, "edited"}, {0x00000010, "track offline"},
    {0x00000020, "track online"}, {0x00010000, "sparse"}, {0x00100000, "cookie"}, {0x00200000, "URL history"},
    {0x00400000, "pending delete"}, {0x00800000, "other user"}, {0x02000000, "privacy impacted"},
    {0x04000000, "post response"}, {0x10000000, "installed"}, {0x20000000, "post check"}, {0x80000000, "identity"},
    {0, NULL}};

static const FlagName FileAttributes[] = {
    {0x0001, "read-only"}, {0x0002, "hidden"}, {0x0004, "system"}, {0x0010, "directory"}, {0x0020, "archive"},
    {0x0080, "normal"}, {0x0100, "temporary"}, {0x0200, "sparse file"}, {0x0400, "reparse point"},
    {0x0800, "compressed"}, {0x1000, "offline"}, {0x2000, "not content indexed"}, {0x4000, "encrypted"},
    {0, NULL}};

void FormatFlagsDetail(const CacheEntry* entry, char* text)
{
    const FlagName* names = entry->url ? CacheEntryTypes : FileAttributes;
    DWORD flags = entry->typeFlags, named = 0;
    char* out = text + wsprintfA(text, entry->url ? "0x%08lX" : "0x%08lX (file attributes)", flags);
    const char* separator = ": ";
    for (int i = 0; names[i].name; i++) {
        if (!(flags & names[i].bit))
            continue;
        out += wsprintfA(out, "%s%s", separator, names[i].name);
        separator = ", ";
        named |= names[i].bit;
    }
    if (flags & ~named)
        wsprintfA(out, "%sother 0x%lX", separator, flags & ~named);
}

// A line break became one blank (CR or LF) or two (CR LF); headers never hold
// two blanks in a row, so every run of two or more is a break, and the breaks
// at the end are dropped.
void FormatHeaderLines(const char* header, char* text, int capacity)
{
    int used = 0;
    for (const char* at = header ? header : ""; *at && used < capacity - 3;) {
        int blanks = 0;
        while (at[blanks] == ' ')
            blanks++;
        if (blanks >= 2) {
            at += blanks;
            if (*at) {
                text[used++] = '\r';
                text[used++] = '\n';
            }
            continue;
        }
        text[used++] = *at++;
    }
    text[used] = '\0';
}

#include "body_file.h"
#include "columns.h"
#include "entry_status.h"
#include "report_line.h"
#include "text_fields.h"

namespace {

// FILETIME ticks from 1601 to 1970, and per second.
const ULONGLONG UNIX_EPOCH = 116444736000000000ULL;
const ULONGLONG TICKS_PER_SECOND = 10000000;
// Room for the fields after the name: six numbers of at most 20 digits and their bars.
const int NUMBERS_BUFFER = 160;

// UTF-8 bytes of the name: the field separator, the escape character and control
// characters as %XX, the rest as they are.
void PutEscapedName(SafeFile* file, const char* text, DWORD length)
{
    DWORD start = 0;
    for (DWORD i = 0; i < length; i++) {
        BYTE c = (BYTE)text[i];
        if (c >= 0x20 && c != 0x7F && c != '|' && c != '%')
            continue;
        PutSafeBytes(file, text + start, i - start);
        char escape[4] = {'%', "0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15], 0};
        PutSafeBytes(file, escape, 3);
        start = i + 1;
    }
    PutSafeBytes(file, text + start, length - start);
}

// "|" and the seconds since 1970 of a listing time; 0 for none or before 1970.
char* PutSeconds(char* out, const CacheEntry* entry, int column, const LocalTimeOffset* zone)
{
    FILETIME utc;
    UtcTime(zone, ColumnTime(entry, column), &utc);
    ULONGLONG ticks = ((ULONGLONG)utc.dwHighDateTime << 32) | utc.dwLowDateTime;
    *out++ = '|';
    return PutNumber(out, ticks > UNIX_EPOCH ? (LONGLONG)((ticks - UNIX_EPOCH) / TICKS_PER_SECOND) : 0, 10, 0);
}

}  // namespace

void PutBodyLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone)
{
    const char* name = ColumnString(entry, COLUMN_URL);
    if (!name)
        name = ColumnString(entry, COLUMN_LOCAL_FILE);
    PutSafeBytes(file, "0|", 2);
    if (name)
        PutAnsiAsUtf8(file, name, PutEscapedName);
    const char* word = StatusWord(StatusNames, entry->status);
    if (*word) {
        PutSafeBytes(file, " (", 2);
        PutSafeBytes(file, word, (DWORD)lstrlenA(word));
        PutSafeBytes(file, ")", 1);
    }
    char numbers[NUMBERS_BUFFER];
    char* out = numbers;
    *out++ = '|';
    out = PutNumber(out, (LONG)ColumnNumber(entry, COLUMN_ENTRY), 10, 0);
    lstrcpyA(out, "|0|0|0|");
    out = PutNumber(out + 7, ColumnNumber(entry, COLUMN_SIZE), 10, 0);
    out = PutSeconds(out, entry, COLUMN_LAST_ACCESS, zone);
    out = PutSeconds(out, entry, COLUMN_LAST_MODIFIED, zone);
    out = PutSeconds(out, entry, COLUMN_LAST_SYNC, zone);
    lstrcpyA(out, "|0\n");
    PutSafeBytes(file, numbers, (DWORD)(out + 3 - numbers));
}

DWORD WriteListingBodyFile(SafeFile* file, const Listing* listing, const RowFilter* shown)
{
    for (LONG row = 0; row < listing->count && file->error == 0; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry && EntryShown(entry, shown))
            PutBodyLine(file, entry, &listing->zone);
    }
    return file->error;
}

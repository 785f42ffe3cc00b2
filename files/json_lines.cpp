#include "json_lines.h"
#include "columns.h"
#include "entry_status.h"
#include "report_line.h"
#include "text_fields.h"

namespace {

// Room for the keys and values between two texts: each column's takes at most
// 40 bytes (",\"lastModified\":\"2026-07-15T12:00:00Z\"").
const int VALUE_BUFFER = 40 * (COLUMN_COUNT + 2);

// UTF-8 bytes inside a JSON string: runs without anything to escape as they are.
void PutEscaped(SafeFile* file, const char* text, DWORD length)
{
    DWORD start = 0;
    for (DWORD i = 0; i < length; i++) {
        BYTE c = (BYTE)text[i];
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        PutSafeBytes(file, text + start, i - start);
        char escape[7] = {'\\', (char)c, 0};
        if (c < 0x20)
            wsprintfA(escape, "\\u%04X", c);
        PutSafeBytes(file, escape, (DWORD)lstrlenA(escape));
        start = i + 1;
    }
    PutSafeBytes(file, text + start, length - start);
}

// ,"key": before a value, without the comma for the object's first.
char* PutKey(char* out, const char* key, BOOL first)
{
    if (!first)
        *out++ = ',';
    *out++ = '"';
    while (*key)
        *out++ = *key++;
    *out++ = '"';
    *out++ = ':';
    return out;
}

// A UTC time as a string, or null.
char* PutTime(char* out, const FILETIME* utc)
{
    *out++ = '"';
    char* text = PutUtcText(out, utc);
    if (text != out) {
        *text++ = '"';
        return text;
    }
    lstrcpyA(out - 1, "null");
    return out + 3;
}

void PutText(SafeFile* file, const char* text)
{
    if (!text) {
        PutSafeBytes(file, "null", 4);
        return;
    }
    PutSafeBytes(file, "\"", 1);
    PutAnsiAsUtf8(file, text, PutEscaped);
    PutSafeBytes(file, "\"", 1);
}

}  // namespace

void PutJsonLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone, const FILETIME* archiveTime)
{
    char value[VALUE_BUFFER] = "{";
    char* out = value + 1;
    if (archiveTime)
        out = PutTime(PutKey(out, "archiveTime", TRUE), archiveTime);
    for (int column = 0; column < COLUMN_COUNT; column++) {
        out = PutKey(out, ColumnTable[column].key, column == 0 && !archiveTime);
        DWORD number = ColumnNumber(entry, column);
        FILETIME utc;
        switch (ColumnTable[column].kind) {
        case COLUMN_SIGNED:
            out = PutNumber(out, (LONG)number, 10, 0);
            break;
        case COLUMN_UNSIGNED:
        case COLUMN_FLAGS:
            out = PutNumber(out, number, 10, 0);
            break;
        case COLUMN_TIME:
            UtcTime(zone, ColumnTime(entry, column), &utc);
            out = PutTime(out, &utc);
            break;
        case COLUMN_STATUS:
        case COLUMN_TEXT:
            PutSafeBytes(file, value, (DWORD)(out - value));
            PutText(file, ColumnTable[column].kind == COLUMN_TEXT ? ColumnString(entry, column)
                                                                  : StatusWord(StatusNames, (LONG)number));
            out = value;
            break;
        }
    }
    *out++ = '}';
    *out++ = '\n';
    PutSafeBytes(file, value, (DWORD)(out - value));
}

DWORD WriteListingJsonLines(SafeFile* file, const Listing* listing, const RowFilter* shown)
{
    for (LONG row = 0; row < listing->count && file->error == 0; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry && EntryShown(entry, shown))
            PutJsonLine(file, entry, &listing->zone, NULL);
    }
    return file->error;
}

// The CSV lines, put together by hand like the report's: a listing can hold a
// hundred thousand entries with eight time fields each.
#include "csv_export.h"
#include "columns.h"
#include "entry_status.h"
#include "entry_time.h"
#include "heap.h"
#include "report_line.h"

namespace {

const char BYTE_ORDER_MARK[] = "\xEF\xBB\xBF";

// Room for one number or the two fields of a time with their commas.
const int NUMBERS_BUFFER = 80;

BOOL NeedsQuotes(const char* text, DWORD length)
{
    for (DWORD i = 0; i < length; i++) {
        if (text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n')
            return TRUE;
    }
    return FALSE;
}

// A UTF-8 field, quoted when it must be, every quote inside doubled.
void PutQuoted(SafeFile* file, const char* text, DWORD length)
{
    if (!NeedsQuotes(text, length)) {
        PutSafeBytes(file, text, length);
        return;
    }
    PutSafeBytes(file, "\"", 1);
    DWORD start = 0;
    for (DWORD i = 0; i < length; i++) {
        // The quote ends this run and starts the next, so it is written twice.
        if (text[i] == '"') {
            PutSafeBytes(file, text + start, i + 1 - start);
            start = i;
        }
    }
    PutSafeBytes(file, text + start, length - start);
    PutSafeBytes(file, "\"", 1);
}

// An ANSI text field (none: empty), after its comma unless it is the line's first;
// texts with bytes above 0x7F are converted to UTF-8 first.
void PutTextField(SafeFile* file, const char* text, BOOL first = FALSE)
{
    if (!first)
        PutSafeBytes(file, ",", 1);
    if (!text)
        return;
    DWORD length = (DWORD)lstrlenA(text), ascii = 0;
    while (ascii < length && (BYTE)text[ascii] < 0x80)
        ascii++;
    if (ascii == length) {
        PutQuoted(file, text, length);
        return;
    }
    // An ANSI byte gives at most one UTF-16 unit, a unit at most three UTF-8 bytes.
    WCHAR* wide = (WCHAR*)HeapGet(length * 5);
    if (!wide) {
        if (file->error == 0)
            file->error = ERROR_CODE_OUT_OF_MEMORY;
        return;
    }
    char* utf8 = (char*)(wide + length);
    int units = MultiByteToWideChar(CP_ACP, 0, text, (int)length, wide, (int)length);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, (int)length * 3, NULL, NULL);
    PutQuoted(file, utf8, (DWORD)bytes);
    HeapRelease(wide);
}

char* PutIsoTime(char* out, const SYSTEMTIME& parts)
{
    out = PutDecimal(out, parts.wYear, 4);
    *out++ = '-';
    out = PutDecimal(out, parts.wMonth, 2);
    *out++ = '-';
    out = PutDecimal(out, parts.wDay, 2);
    *out++ = 'T';
    out = PutDecimal(out, parts.wHour, 2);
    *out++ = ':';
    out = PutDecimal(out, parts.wMinute, 2);
    *out++ = ':';
    return PutDecimal(out, parts.wSecond, 2);
}

// ",UTC,local" of a listing time: the moment in UTC, converted back with the
// listing's own offset, and as the machine's zone shows it on that date, with that
// date's offset ("2026-07-15T14:00:00+02:00" in Berlin, in winter too).
char* PutTimeFields(char* out, const FILETIME* listed, const LocalTimeOffset* zone)
{
    *out++ = ',';
    FILETIME utc;
    SYSTEMTIME utcParts, localParts;
    LONG minutes;
    UtcTime(zone, listed, &utc);
    if ((utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) || !FileTimeToSystemTime(&utc, &utcParts)) {
        *out++ = ',';
        return out;
    }
    out = PutIsoTime(out, utcParts);
    *out++ = 'Z';
    *out++ = ',';
    if (!ZoneTimeOfDate(&utc, &localParts, &minutes))
        return out;
    out = PutIsoTime(out, localParts);
    *out++ = minutes < 0 ? '-' : '+';
    if (minutes < 0)
        minutes = -minutes;
    out = PutDecimal(out, (unsigned)(minutes / 60), 2);
    *out++ = ':';
    return PutDecimal(out, (unsigned)(minutes % 60), 2);
}

void PutHeaderLine(SafeFile* file)
{
    PutSafeBytes(file, BYTE_ORDER_MARK, sizeof BYTE_ORDER_MARK - 1);
    for (int column = 0; column < COLUMN_COUNT; column++) {
        const char* caption = ColumnTable[column].caption;
        if (ColumnTable[column].kind != COLUMN_TIME) {
            PutTextField(file, caption, column == 0);
            continue;
        }
        char doubled[128];
        wsprintfA(doubled, "%.100s (UTC)", caption);
        PutTextField(file, doubled);
        wsprintfA(doubled, "%.100s (local)", caption);
        PutTextField(file, doubled);
    }
    PutSafeBytes(file, "\r\n", 2);
}

// A field that is not text, after its comma unless it is the line's first.
void PutValueField(SafeFile* file, const CacheEntry* entry, int column, const LocalTimeOffset* zone)
{
    char value[NUMBERS_BUFFER];
    char* out = value;
    ColumnKind kind = ColumnTable[column].kind;
    // A time puts its own commas before each of its two fields.
    if (column > 0 && kind != COLUMN_TIME)
        *out++ = ',';
    DWORD number = ColumnNumber(entry, column);
    switch (kind) {
    case COLUMN_SIGNED:
        out = PutNumber(out, (LONG)number, 10, 0);
        break;
    case COLUMN_UNSIGNED:
        out = PutNumber(out, number, 10, 0);
        break;
    case COLUMN_FLAGS:
        *out++ = '0';
        *out++ = 'x';
        for (int shift = 28; shift >= 0; shift -= 4)
            *out++ = "0123456789ABCDEF"[(number >> shift) & 0xF];
        break;
    case COLUMN_TIME:
        out = PutTimeFields(out, ColumnTime(entry, column), zone);
        break;
    default:
        break;
    }
    PutSafeBytes(file, value, (DWORD)(out - value));
}

// One entry's line, its fields in the order of the header.
void PutEntryLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone)
{
    for (int column = 0; column < COLUMN_COUNT; column++) {
        switch (ColumnTable[column].kind) {
        case COLUMN_TEXT:
            PutTextField(file, ColumnString(entry, column), column == 0);
            break;
        case COLUMN_STATUS:
            PutTextField(file, StatusWord(StatusNames, (LONG)ColumnNumber(entry, column)), column == 0);
            break;
        default:
            PutValueField(file, entry, column, zone);
            break;
        }
    }
    PutSafeBytes(file, "\r\n", 2);
}

}  // namespace

DWORD WriteListingCsv(SafeFile* file, const Listing* listing, BOOL changedOnly)
{
    PutHeaderLine(file);
    for (LONG row = 0; row < listing->count && file->error == 0; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry && (!changedOnly || IsChangedStatus(entry->status)))
            PutEntryLine(file, entry, &listing->zone);
    }
    return file->error;
}

DWORD ExportListingCsv(const char* path, const Listing* listing)
{
    SafeFile file;
    DWORD code = OpenSafeFile(&file, path);
    if (code != 0)
        return code;
    WriteListingCsv(&file, listing, FALSE);
    return CommitSafeFile(&file);
}

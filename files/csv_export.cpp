// The CSV lines, put together by hand like the report's: a listing can hold a
// hundred thousand entries with eight time fields each.
#include "csv_export.h"
#include "columns.h"
#include "entry_status.h"
#include "entry_time.h"
#include "report_line.h"
#include "text_fields.h"

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
    if (text)
        PutAnsiAsUtf8(file, text, PutQuoted);
}

// ",UTC,local" of a moment: empty fields for none.
char* PutMomentFields(char* out, const FILETIME* utc)
{
    *out++ = ',';
    char* fields = out;
    out = PutUtcText(out, utc);
    *out++ = ',';
    return out == fields + 1 ? out : PutZoneText(out, utc);
}

// ",UTC,local" of a listing time: the moment in UTC, converted back with the
// listing's own offset, and as the machine's zone shows it on that date, with that
// date's offset ("2026-07-15T14:00:00+02:00" in Berlin, in winter too).
char* PutTimeFields(char* out, const FILETIME* listed, const LocalTimeOffset* zone)
{
    FILETIME utc;
    UtcTime(zone, listed, &utc);
    return PutMomentFields(out, &utc);
}

// A field that is not text, after its comma unless it is the line's first.
void PutValueField(SafeFile* file, const CacheEntry* entry, int column, const LocalTimeOffset* zone, BOOL first)
{
    char value[NUMBERS_BUFFER];
    char* out = value;
    ColumnKind kind = ColumnTable[column].kind;
    // A time puts its own commas before each of its two fields.
    if (!first && kind != COLUMN_TIME)
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

}  // namespace

void PutCsvHeader(SafeFile* file, BOOL archiveTime)
{
    PutSafeBytes(file, BYTE_ORDER_MARK, sizeof BYTE_ORDER_MARK - 1);
    if (archiveTime) {
        PutTextField(file, "Archive Time (UTC)", TRUE);
        PutTextField(file, "Archive Time (local)");
    }
    for (int column = 0; column < COLUMN_COUNT; column++) {
        const char* caption = ColumnTable[column].caption;
        if (ColumnTable[column].kind != COLUMN_TIME) {
            PutTextField(file, caption, column == 0 && !archiveTime);
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

void PutCsvLine(SafeFile* file, const CacheEntry* entry, const LocalTimeOffset* zone, const FILETIME* archiveTime)
{
    if (archiveTime) {
        char fields[NUMBERS_BUFFER];
        // The time's fields, without the comma that would lead the line.
        char* end = PutMomentFields(fields, archiveTime);
        PutSafeBytes(file, fields + 1, (DWORD)(end - fields - 1));
    }
    for (int column = 0; column < COLUMN_COUNT; column++) {
        BOOL first = column == 0 && !archiveTime;
        switch (ColumnTable[column].kind) {
        case COLUMN_TEXT:
            PutTextField(file, ColumnString(entry, column), first);
            break;
        case COLUMN_STATUS:
            PutTextField(file, StatusWord(StatusNames, (LONG)ColumnNumber(entry, column)), first);
            break;
        default:
            PutValueField(file, entry, column, zone, first);
            break;
        }
    }
    PutSafeBytes(file, "\r\n", 2);
}

DWORD WriteListingCsv(SafeFile* file, const Listing* listing, const RowFilter* shown)
{
    PutCsvHeader(file, FALSE);
    for (LONG row = 0; row < listing->count && file->error == 0; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry && EntryShown(entry, shown))
            PutCsvLine(file, entry, &listing->zone, NULL);
    }
    return file->error;
}

DWORD ExportListingCsv(const char* path, const Listing* listing, const RowFilter* shown)
{
    SafeFile file;
    DWORD code = OpenSafeFile(&file, path);
    if (code != 0)
        return code;
    WriteListingCsv(&file, listing, shown);
    return CommitSafeFile(&file);
}

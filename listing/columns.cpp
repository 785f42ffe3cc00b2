#include "columns.h"
#include <stddef.h>
#include "entry_status.h"
#include "entry_time.h"

#define FIELD(name) (DWORD) offsetof(CacheEntry, name)

const ColumnDef ColumnTable[COLUMN_COUNT + 1] = {
    {"Entry #", 52, COLUMN_SIGNED, FIELD(entryNumber), "entry", -1},
    {"URL", 300, COLUMN_TEXT, FIELD(url), "url", -1},
    {"Status", 52, COLUMN_STATUS, FIELD(status), "status", -1},
    {"Local File", 100, COLUMN_TEXT, FIELD(localFile), "localFile", -1},
    {"Size", 52, COLUMN_UNSIGNED, FIELD(size), "size", -1},
    {"Last Access", 115, COLUMN_TIME, FIELD(lastAccess), "lastAccess", COLUMN_URL},
    {"Last Modified", 115, COLUMN_TIME, FIELD(lastModified), "lastModified", -1},
    {"Last Sync'ed", 115, COLUMN_TIME, FIELD(lastSync), "lastSync", -1},
    {"Flags", 50, COLUMN_FLAGS, FIELD(typeFlags), "flags", -1},
    {"HR", 30, COLUMN_SIGNED, FIELD(hitRate), "hitRate", -1},
    {"UC", 30, COLUMN_SIGNED, FIELD(useCount), "useCount", -1},
    {"Exempt", 50, COLUMN_UNSIGNED, FIELD(exemptDelta), "exemptDelta", -1},
    {"Expire Time", 115, COLUMN_TIME, FIELD(expireTime), "expireTime", -1},
    {"HTTP Response Header", 300, COLUMN_TEXT, FIELD(headerText), "header", -1},
    {NULL, 0, COLUMN_SIGNED, 0, NULL, -1},
};

static const BYTE* Field(const CacheEntry* entry, int column)
{
    return (const BYTE*)entry + ColumnTable[column].field;
}

DWORD ColumnNumber(const CacheEntry* entry, int column)
{
    return *(const DWORD*)Field(entry, column);
}

const char* ColumnString(const CacheEntry* entry, int column)
{
    return *(char* const*)Field(entry, column);
}

const FILETIME* ColumnTime(const CacheEntry* entry, int column)
{
    return (const FILETIME*)Field(entry, column);
}

const char* FormatCell(const CacheEntry* entry, int column, char* buffer)
{
    if (column < 0 || column >= COLUMN_COUNT)
        return "*";
    switch (ColumnTable[column].kind) {
    case COLUMN_SIGNED:
        wsprintfA(buffer, "%d", (LONG)ColumnNumber(entry, column));
        return buffer;
    case COLUMN_UNSIGNED:
        wsprintfA(buffer, "%u", ColumnNumber(entry, column));
        return buffer;
    case COLUMN_FLAGS:
        wsprintfA(buffer, "%8X", ColumnNumber(entry, column));
        return buffer;
    case COLUMN_STATUS:
        return StatusCaption((LONG)ColumnNumber(entry, column));
    case COLUMN_TEXT: {
        const char* text = ColumnString(entry, column);
        return text ? text : "";
    }
    case COLUMN_TIME:
        FormatEntryTime(buffer, ColumnTime(entry, column));
        return buffer;
    }
    return "*";
}

// Values 2^31 or more apart would overflow a difference.
static int BySigned(LONG a, LONG b) { return a < b ? -1 : (a > b ? 1 : 0); }
static int ByUnsigned(DWORD a, DWORD b) { return a < b ? -1 : (a > b ? 1 : 0); }

int CompareColumnKey(const CacheEntry* a, const CacheEntry* b, int column)
{
    switch (ColumnTable[column].kind) {
    case COLUMN_UNSIGNED:
        return ByUnsigned(ColumnNumber(a, column), ColumnNumber(b, column));
    case COLUMN_TEXT: {
        const char* first = ColumnString(a, column);
        const char* second = ColumnString(b, column);
        return lstrcmpiA(first ? first : "", second ? second : "");
    }
    case COLUMN_TIME:
        return CompareFileTime(ColumnTime(a, column), ColumnTime(b, column));
    default:
        return BySigned((LONG)ColumnNumber(a, column), (LONG)ColumnNumber(b, column));
    }
}

// The fourteen columns of a listing, each described once: its caption, default
// width, the field it shows, how its cell text is made, how it sorts and how the
// writers put it into files. The list view, Copy Row, the orderings and the
// writers all read this table.
#ifndef BRINDLEWICK_COLUMNS_H
#define BRINDLEWICK_COLUMNS_H

#include "listing.h"

const int COLUMN_COUNT = 14;
// Column indexes the code refers to by name.
const LONG COLUMN_ENTRY = 0;
const LONG COLUMN_URL = 1;
const LONG COLUMN_LOCAL_FILE = 3;
const LONG COLUMN_SIZE = 4;
const LONG COLUMN_LAST_ACCESS = 5;
const LONG COLUMN_LAST_MODIFIED = 6;
const LONG COLUMN_LAST_SYNC = 7;

// What a column holds, which decides its cell text, its order and its form in files.
enum ColumnKind {
    COLUMN_SIGNED,      // a 32-bit number: "%d", ordered as signed, written as signed decimal
    COLUMN_UNSIGNED,    // a 32-bit number: "%u", ordered as unsigned, written as unsigned decimal
    COLUMN_FLAGS,       // type bits: "%8X", ordered as signed, written "0x" and eight upper-case digits
    COLUMN_STATUS,      // the status code: its list caption, ordered by the code, written as a whole word
    COLUMN_TEXT,        // a string: itself ("" for none), ordered case-insensitively in the user's locale
    COLUMN_TIME,        // a listing time: FormatEntryTime, ordered as 64-bit, written in UTC and local time
};

struct ColumnDef {
    const char* caption;    // null ends the table
    LONG defaultWidth;      // pixels
    ColumnKind kind;
    DWORD field;            // offset of the field in CacheEntry
    const char* key;        // the column's name in files read by programs
    LONG thenBy;            // the column that orders rows with equal keys, or -1
};

// A column's index is its list view column, its sub-item, its sortColumn value and
// the index of its comparator. A row with a null caption follows the last column.
extern const ColumnDef ColumnTable[COLUMN_COUNT + 1];

// Room for any formatted cell with its NUL: a date takes 21 bytes.
const int CELL_TEXT_BYTES = 32;

// The column's value in an entry, by kind: a number (SIGNED, UNSIGNED, FLAGS,
// STATUS), a string or null (TEXT), a time (TIME).
DWORD ColumnNumber(const CacheEntry* entry, int column);
const char* ColumnString(const CacheEntry* entry, int column);
const FILETIME* ColumnTime(const CacheEntry* entry, int column);

// The cell text the list shows: formatted into `buffer` (CELL_TEXT_BYTES), or the
// entry's own string; "*" for a column beyond the table.
const char* FormatCell(const CacheEntry* entry, int column, char* buffer);
// The two entries by the column's key alone, ascending: negative when `a` comes
// first. Texts compare with lstrcmpiA, null as "".
int CompareColumnKey(const CacheEntry* a, const CacheEntry* b, int column);

#endif

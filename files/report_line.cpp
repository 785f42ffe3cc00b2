// The report's line, put together by hand: the C library's formatter costs more
// than writing the line does, and a report has a line per entry.
#include "report_line.h"
#include "entry_status.h"
#include "entry_time.h"

namespace {

const char* const REPORT_WORDS[8] = {
    "Del'd", "", "Chngd", "Rvstd", "Updated", "Moved", "Completed", "Added",
};

// Seconds of a 365-day year: the unit of the exemption column.
const DWORD SECONDS_PER_YEAR = 31536000;
const int URL_LIMIT = 1024;

}  // namespace

// Every value has 32 bits: 32-bit division by a constant is a multiplication,
// where a 64-bit one is a library call per digit.
char* PutNumber(char* out, LONGLONG value, int base, int width)
{
    char digits[24];
    int count = 0;
    DWORD magnitude = (DWORD)(value < 0 ? -value : value);
    do {
        digits[count++] = "0123456789abcdef"[base == 16 ? magnitude & 15 : magnitude % 10];
        magnitude = base == 16 ? magnitude >> 4 : magnitude / 10;
    } while (magnitude);
    if (value < 0)
        digits[count++] = '-';
    for (int pad = width - count; pad > 0; pad--)
        *out++ = ' ';
    while (count)
        *out++ = digits[--count];
    return out;
}

namespace {

// The text, and blanks after it up to `width`.
char* PutLeft(char* out, const char* text, int width)
{
    while (*text) {
        *out++ = *text++;
        width--;
    }
    for (; width > 0; width--)
        *out++ = ' ';
    return out;
}

}  // namespace

int FormatReportLine(char* line, const CacheEntry* entry)
{
    char* out = line;
    out = PutNumber(out, (LONG)entry->entryNumber, 10, 5);
    *out++ = ' ';
    // An entry that still holds 8 (added while hidden) writes nothing, as the list shows it.
    out = PutLeft(out, StatusWord(REPORT_WORDS, entry->status), 6);
    *out++ = ' ';
    out = PutNumber(out, entry->typeFlags, 16, 5);
    *out++ = ' ';
    out = PutNumber(out, (LONG)entry->hitRate, 10, 3);
    *out++ = ' ';
    out = PutNumber(out, (LONG)entry->size, 10, 6);
    *out++ = ' ';
    char lastAccess[ENTRY_TIME_TEXT];
    FormatEntryTime(lastAccess, &entry->lastAccess);
    out = PutLeft(out, lastAccess, 19);
    *out++ = ' ';
    out = PutNumber(out, (LONG)(entry->exemptDelta / SECONDS_PER_YEAR), 10, 3);
    *out++ = 'd';
    *out++ = 'y';
    *out++ = ' ';
    const char* url = entry->url ? entry->url : "<stray file>";
    for (int i = 0; i < URL_LIMIT && url[i]; i++)
        *out++ = url[i];
    *out++ = '\r';
    *out++ = '\n';
    return (int)(out - line);
}

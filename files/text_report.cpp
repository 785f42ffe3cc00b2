// Writing a listing as a fixed-width text report.
#include <stdio.h>
#include "text_report.h"
#include "entry_time.h"

static const char* const REPORT_WORDS[8] = {
    "Del'd", "", "Chngd", "Rvstd", "Updated", "Moved", "Completed", "Added",
};

static const char REPORT_HEADER[] =
    "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n"
    "-----------------------------------------------------------------------------\r\n";

// Seconds of a 365-day year: the unit of the exemption column.
static const DWORD SECONDS_PER_YEAR = 31536000;
// Room for the longest line: every number at its widest and 1,024 URL characters
// come to about 1,110 bytes.
static const int LINE_BUFFER = 2048;

// The report's own words for codes 0 to 7; an entry that still holds 8 (added while
// hidden) writes nothing, as the list shows it, and so does any other code.
static const char* ReportStatusWord(LONG status)
{
    return status >= 0 && status < 8 ? REPORT_WORDS[status] : "";
}

// Writes all `bytes`: 0 or the system's code.
static DWORD WriteWhole(HANDLE file, const char* text, DWORD bytes)
{
    DWORD written = 0;
    if (!WriteFile(file, text, bytes, &written, NULL)) {
        DWORD code = GetLastError();
        return code ? code : ERROR_WRITE_FAULT;
    }
    return written == bytes ? 0 : ERROR_WRITE_FAULT;
}

// Formats one entry's line; gives its length.
static int FormatReportLine(char* line, const CacheEntry* entry)
{
    char lastAccess[ENTRY_TIME_TEXT];
    FormatEntryTime(lastAccess, &entry->lastAccess);
    // The standard formatter, unlike wsprintfA, has no 1,024-character limit, so
    // a line with a URL of the full 1,024 characters keeps its CR LF.
    return snprintf(line, LINE_BUFFER, "%5d %-6s %5x %3d %6d %-19s %3ddy %.1024s\r\n", (int)entry->entryNumber,
                    ReportStatusWord(entry->status), (unsigned)entry->typeFlags, (int)entry->hitRate,
                    (int)entry->size, lastAccess, (int)(entry->exemptDelta / SECONDS_PER_YEAR),
                    entry->url ? entry->url : "<stray file>");
}

DWORD ExportListingText(const char* path, const Listing* listing)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        return code ? code : ERROR_CANNOT_MAKE;
    }
    DWORD result = WriteWhole(file, REPORT_HEADER, sizeof REPORT_HEADER - 1);
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (!entry)
            continue;
        char line[LINE_BUFFER];
        int length = FormatReportLine(line, entry);
        DWORD code = length > 0 && length < LINE_BUFFER ? WriteWhole(file, line, (DWORD)length) : ERROR_INVALID_DATA;
        if (code != 0) {
            if (result == 0)
                result = code;
            break;
        }
    }
    CloseHandle(file);
    return result;
}

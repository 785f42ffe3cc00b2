// Writing a listing as a fixed-width text report.
#include "text_report.h"
#include "report_line.h"

static const char REPORT_HEADER[] =
    "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n"
    "-----------------------------------------------------------------------------\r\n";

// Lines are gathered and written in pieces of about this size: a write call costs
// about as much as formatting a line.
static const int WRITE_BUFFER = 64 * 1024;

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

// The entry lines, in the listing's order: 0, or the code of the first write that
// failed, after which nothing more is written.
static DWORD WriteEntryLines(HANDLE file, const Listing* listing)
{
    char buffer[WRITE_BUFFER];
    int used = 0;
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (!entry)
            continue;
        if (used > WRITE_BUFFER - REPORT_LINE_BUFFER) {
            DWORD code = WriteWhole(file, buffer, (DWORD)used);
            if (code != 0)
                return code;
            used = 0;
        }
        used += FormatReportLine(buffer + used, entry);
    }
    return used ? WriteWhole(file, buffer, (DWORD)used) : 0;
}

DWORD ExportListingText(const char* path, const Listing* listing)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        return code ? code : ERROR_CANNOT_MAKE;
    }
    // A header that cannot be written does not stop the report.
    DWORD result = WriteWhole(file, REPORT_HEADER, sizeof REPORT_HEADER - 1);
    DWORD code = WriteEntryLines(file, listing);
    if (result == 0)
        result = code;
    CloseHandle(file);
    return result;
}

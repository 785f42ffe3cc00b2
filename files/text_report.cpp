// Writing a listing as a fixed-width text report.
#include "text_report.h"
#include "entry_status.h"
#include "report_line.h"

static const char REPORT_HEADER[] =
    "Index Status Flags  HR   Size     Last Access     Exmpt URL\r\n"
    "-----------------------------------------------------------------------------\r\n";

DWORD WriteListingText(SafeFile* file, const Listing* listing, const RowFilter* shown)
{
    PutSafeBytes(file, REPORT_HEADER, sizeof REPORT_HEADER - 1);
    char line[REPORT_LINE_BUFFER];
    for (LONG row = 0; row < listing->count && file->error == 0; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        if (entry && EntryShown(entry, shown))
            PutSafeBytes(file, line, (DWORD)FormatReportLine(line, entry));
    }
    return file->error;
}

DWORD ExportListingText(const char* path, const Listing* listing)
{
    SafeFile file;
    DWORD code = OpenSafeFile(&file, path);
    if (code != 0)
        return code;
    WriteListingText(&file, listing, NULL);
    return CommitSafeFile(&file);
}

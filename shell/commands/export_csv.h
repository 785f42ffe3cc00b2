// "Export CSV...": the main listing in its current order as a CSV file.
#ifndef BRINDLEWICK_EXPORT_CSV_H
#define BRINDLEWICK_EXPORT_CSV_H

#include <windows.h>

// Asks where to save and writes the CSV; a failure names the file and the reason.
void ExportCsv(HWND window);

#endif

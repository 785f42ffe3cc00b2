#include "export_csv.h"
#include "app_state.h"
#include "column_table.h"
#include "csv_export.h"
#include "file_dialogs.h"
#include "messages.h"
#include "ui_helpers.h"

void ExportCsv(HWND window)
{
    char path[FILE_NAME_BYTES] = ".csv";
    if (!AskCsvPath(window, path))
        return;
    SetStdCursor(IDC_WAIT);
    const char* captions[COLUMN_COUNT];
    ColumnCaptions(captions);
    DWORD error = ExportListingCsv(path, &g_app.mainListing, captions);
    SetStdCursor(IDC_ARROW);
    if (error)
        ShowFileError(window, "Couldn't export the listing as", path, error);
}

#include "export_csv.h"
#include "app_state.h"
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
    DWORD error = ExportListingCsv(path, &g_app.mainListing);
    SetStdCursor(IDC_ARROW);
    if (error)
        ShowFileError(window, "Couldn't export the listing as", path, error);
}

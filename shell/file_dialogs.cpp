#include "file_dialogs.h"
#include <commdlg.h>
#include "app_state.h"

// Pairs of description and pattern, the list ended by an extra NUL.
static const char BackupFilter[] = "Cache Backup Files\0*.cbf\0All Files\0*.*\0";
static const char ReportFilter[] = "Text Files\0*.txt\0All Files\0*.*\0";
static const char AnyFileFilter[] = "All Files\0*.*\0";

// Runs one dialog with the 76-byte record that every system version takes; no
// default extension, so a name typed without one is used as typed.
static BOOL RunFileDialog(FileDialog dialog, HWND owner, const char* filter, DWORD flags, char* path)
{
    if (!dialog)
        return FALSE;
    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.lpstrFile = path;
    request.nMaxFile = FILE_NAME_BYTES;
    request.Flags = flags;
    BOOL chosen = dialog(&request);
    path[FILE_NAME_BYTES - 1] = '\0';
    return chosen;
}

BOOL AskBackupFilePath(HWND owner, char* path)
{
    return RunFileDialog(g_app.openFileDialog, owner, BackupFilter, OFN_HIDEREADONLY, path);
}

BOOL AskReportPath(HWND owner, char* path)
{
    return RunFileDialog(g_app.saveFileDialog, owner, ReportFilter, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, path);
}

BOOL AskCachedFileCopyPath(HWND owner, char* path)
{
    return RunFileDialog(g_app.saveFileDialog, owner, AnyFileFilter, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, path);
}

#include "file_dialogs.h"
#include <commdlg.h>
#include <shlobj.h>
#include "app_state.h"

// Pairs of description and pattern, the list ended by an extra NUL.
static const char BackupFilter[] = "Cache Backup Files\0*.cbf\0All Files\0*.*\0";
static const char ReportFilter[] = "Text Files\0*.txt\0All Files\0*.*\0";
static const char CsvFilter[] = "CSV Files\0*.csv\0All Files\0*.*\0";
static const char AnyFileFilter[] = "All Files\0*.*\0";

static const DWORD SAVE_FLAGS = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

// Runs one dialog with the 76-byte record that every system version takes. Without
// a default extension a name typed without one is used as typed.
static BOOL RunFileDialog(FileDialog dialog, HWND owner, const char* filter, DWORD flags, char* path,
                          const char* defaultExtension = NULL)
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
    request.lpstrDefExt = defaultExtension;
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
    return RunFileDialog(g_app.saveFileDialog, owner, ReportFilter, SAVE_FLAGS, path);
}

BOOL AskBackupSavePath(HWND owner, char* path)
{
    return RunFileDialog(g_app.saveFileDialog, owner, BackupFilter, SAVE_FLAGS, path, "cbf");
}

BOOL AskCsvPath(HWND owner, char* path)
{
    return RunFileDialog(g_app.saveFileDialog, owner, CsvFilter, SAVE_FLAGS, path, "csv");
}

BOOL AskCachedFileCopyPath(HWND owner, char* path)
{
    return RunFileDialog(g_app.saveFileDialog, owner, AnyFileFilter, SAVE_FLAGS, path);
}

BOOL AskFolderPath(HWND owner, char* path)
{
    path[0] = '\0';
    return g_app.browseForFolder && g_app.browseForFolder(owner, "Save the cached files in this folder:", path) &&
           path[0];
}

BOOL BrowseForFolder(HWND owner, const char* title, char* path)
{
    // The dialog's newer style needs COM on this thread.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    char display[MAX_PATH];
    BROWSEINFOA request = {};
    request.hwndOwner = owner;
    request.pszDisplayName = display;
    request.lpszTitle = title;
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&request);
    BOOL found = chosen && SHGetPathFromIDListA(chosen, path);
    if (chosen)
        CoTaskMemFree(chosen);
    if (SUCCEEDED(com))
        CoUninitialize();
    return found;
}

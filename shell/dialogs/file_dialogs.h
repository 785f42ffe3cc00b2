// The common file dialogs: the backup file to read, and the files to write.
#ifndef BRINDLEWICK_FILE_DIALOGS_H
#define BRINDLEWICK_FILE_DIALOGS_H

#include <windows.h>

// Bytes of the file name buffer of either dialog.
const DWORD FILE_NAME_BYTES = 512;

// Asks for a cache backup file; `path` (FILE_NAME_BYTES) receives its name. False
// when the user cancelled or the dialog failed.
BOOL AskBackupFilePath(HWND owner, char* path);
// Asks where to save the report, starting from the name in `path`
// (FILE_NAME_BYTES); an existing file is replaced only after the dialog asked.
BOOL AskReportPath(HWND owner, char* path);
// Asks where to save a cache backup file, or the CSV; a name typed without an
// extension gets ".cbf" or ".csv".
BOOL AskBackupSavePath(HWND owner, char* path);
BOOL AskCsvPath(HWND owner, char* path);
// Asks where to save a copy of a cached file, starting from the name in `path`
// (FILE_NAME_BYTES); an existing file is replaced only after the dialog asked.
BOOL AskCachedFileCopyPath(HWND owner, char* path);
// Asks for the folder to save cached files in; `path` (FILE_NAME_BYTES) receives
// its path. False when the user cancelled.
BOOL AskFolderPath(HWND owner, char* path);
// The system's folder dialog (SHBrowseForFolderA), the folders of the file system
// only: the chosen one's path into `path` (MAX_PATH bytes or more).
BOOL BrowseForFolder(HWND owner, const char* title, char* path);

#endif

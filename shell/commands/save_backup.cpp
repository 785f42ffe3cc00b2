#include "save_backup.h"
#include "app_state.h"
#include "backup_writer.h"
#include "file_dialogs.h"
#include "number_text.h"
#include "messages.h"
#include "save_progress.h"

// Tells how many of the saved entries lack their complete cached file.
static void ShowIncomplete(HWND window, const BackupSaveOutcome* outcome)
{
    char incomplete[GROUPED_NUMBER_BYTES], saved[GROUPED_NUMBER_BYTES], text[400];
    FormatGroupedNumber((DWORD)outcome->incomplete, incomplete);
    FormatGroupedNumber((DWORD)outcome->saved, saved);
    wsprintfA(text,
              "%s of the %s entries saved are without their complete cached file: the file was missing, could "
              "not be read or had changed since the scan, or the entry was loaded from a backup file.",
              incomplete, saved);
    ShowWarning(window, text);
}

void SaveCacheBackup(HWND window)
{
    char path[FILE_NAME_BYTES] = ".cbf";
    if (!AskBackupSavePath(window, path))
        return;
    SaveProgressDialog box;
    OpenSaveProgress(&box, window);
    BackupSaveOutcome outcome;
    DWORD error = SaveBackupFile(path, &g_app.mainListing, &box.progress, &outcome);
    CloseSaveProgress(&box);
    if (error == ERROR_CANCELLED)
        return;
    if (error)
        ShowFileError(window, "Couldn't save the cache backup as", path, error);
    else if (outcome.incomplete)
        ShowIncomplete(window, &outcome);
}

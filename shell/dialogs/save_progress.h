// The progress dialog of a long save: a bar, the entries and megabytes written,
// and Cancel.
#ifndef BRINDLEWICK_SAVE_PROGRESS_H
#define BRINDLEWICK_SAVE_PROGRESS_H

#include <windows.h>
#include "backup_writer.h"

// While the dialog stands the owner is disabled, and only the dialog's messages
// are pumped, each time the writer reports: nothing else can run in between.
struct SaveProgressDialog {
    SaveProgress progress;  // hand &progress to the writer
    HWND dialog;            // null when it could not be made: the save goes on without it
    HWND owner;
    BOOL cancelled;
    BOOL shown;
    DWORD shownAt;          // tick count of the last text shown
};

void OpenSaveProgress(SaveProgressDialog* box, HWND owner);
void CloseSaveProgress(SaveProgressDialog* box);

#endif

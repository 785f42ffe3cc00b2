// The procedures of the About box and the Set Open Command dialog.
#ifndef BRINDLEWICK_DIALOGS_H
#define BRINDLEWICK_DIALOGS_H

#include <windows.h>

// Characters the open command's edit field takes: the command with its NUL fits
// the 512-byte setting with room to spare.
const int OPEN_COMMAND_LIMIT = 508;

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the open command and takes the edited one on OK.
INT_PTR CALLBACK OpenCommandDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif

// The modeless Find dialog, and F3 / Shift+F3, which repeat its last search from
// the main window.
#ifndef BRINDLEWICK_FIND_DIALOG_H
#define BRINDLEWICK_FIND_DIALOG_H

#include <windows.h>

// Opens the Find dialog, or brings it forward, with its text selected.
void ShowFindDialog(HWND owner);
// Searches again for the last text, forwards or backwards from the selected row;
// with the dialog open, for the text it shows. Opens the dialog when nothing was
// searched for yet.
void RepeatFind(HWND owner, BOOL forward);
// Hands the message to the open Find dialog when it is one of its own; the
// message loop skips such messages.
BOOL IsFindDialogMessage(MSG* message);

#endif

// The commands of the row menu, on the selected row: open its folder, copy its
// texts, save a copy of its file, show its properties.
#ifndef BRINDLEWICK_ROW_COMMANDS_H
#define BRINDLEWICK_ROW_COMMANDS_H

#include <windows.h>

// Runs a row menu command (but "Open", which the frame runs as the activation of
// a row); FALSE for any other identifier. Without a selected row, or when the
// command does not apply to its entry, it only beeps.
BOOL OnRowCommand(HWND window, UINT command);

#endif

// The menu commands of the main window.
#ifndef BRINDLEWICK_COMMANDS_H
#define BRINDLEWICK_COMMANDS_H

#include <windows.h>

// Runs one menu command, or a child's command such as the activation of a list
// row; identifiers it does not know do nothing.
void OnCommand(HWND window, UINT command);

#endif

// The commands of the View menu: Find, its repeats and "Show Changes Only".
#ifndef BRINDLEWICK_VIEW_COMMANDS_H
#define BRINDLEWICK_VIEW_COMMANDS_H

#include <windows.h>

// Runs a View command; FALSE for any other identifier.
BOOL OnViewCommand(HWND window, UINT command);

#endif

// The main window: its procedure and the handlers it dispatches to.
#ifndef BRINDLEWICK_MAIN_WINDOW_H
#define BRINDLEWICK_MAIN_WINDOW_H

#include <windows.h>

#define MAIN_WINDOW_CLASS "Brindlewick"

// The status bar's first text, until the first summary replaces it.
extern const char* const StatusInvitation;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif

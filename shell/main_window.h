// The main window: its procedure and the handlers it dispatches to.
#ifndef BRINDLEWICK_MAIN_WINDOW_H
#define BRINDLEWICK_MAIN_WINDOW_H

#include <windows.h>

#define MAIN_WINDOW_CLASS "Brindlewick"

// The status bar's first text, until the first summary replaces it.
extern const char* const StatusInvitation;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Shows a system cursor (IDC_WAIT at the start of long work, IDC_ARROW at its end).
void SetStdCursor(LPCSTR name);

#endif

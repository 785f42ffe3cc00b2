// Start-up, message loop and shutdown of the program, in steps that tests can run
// in-process one by one.
#ifndef BRINDLEWICK_STARTUP_H
#define BRINDLEWICK_STARTUP_H

#include <windows.h>

// Zeroed state with the default settings, the instance and the system dialogs and
// shell call.
void SetStartupDefaults(HINSTANCE instance);
BOOL RegisterMainClass();
// Creates the main window from the settings' window parameters; null on failure.
HWND CreateMainWindow(int showCommand);

// Defaults, settings, the main window shown on screen and the first scan started
// (its rows appear as the message loop runs); null (after telling the user) when
// the window could not be made.
HWND StartUp(HINSTANCE instance, int showCommand);
// Runs until the quit message; gives its wParam.
int RunMessageLoop();
// Frees the main listing and the system library held for the danger check.
void ShutDown();

#endif

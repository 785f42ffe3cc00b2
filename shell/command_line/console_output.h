// What a run from the command line prints: to the standard handles it was given,
// or to the console of the program that started it.
#ifndef BRINDLEWICK_CONSOLE_OUTPUT_H
#define BRINDLEWICK_CONSOLE_OUTPUT_H

#include <windows.h>
#include "site_tree.h"

// The standard output and error handles when they can be written to (a pipe, a
// file or a console); otherwise, as for a program of the window subsystem
// started from a console without a redirect, that console, attached. A handle
// that cannot be had is null, and what would go there is lost.
void FindConsoleHandles(HANDLE* output, HANDLE* errors);

// Writes the text as it is.
void Print(HANDLE handle, const char* text);
// One line: `what` "path": the system's text for `code` (without a path when it
// is null). Gives FALSE, for the caller to pass on.
BOOL PrintFailure(HANDLE handle, const char* what, const char* path, DWORD code);
// One line saying how many entries of a backup file lack their complete file.
void PrintIncomplete(HANDLE handle, const char* path, LONG saved, LONG incomplete);
// The line of counts of /extract and, when a file failed, the line of the first
// failure. Gives whether none failed.
BOOL PrintSiteTree(HANDLE handle, const char* folder, const SiteTreeOutcome* outcome);

#endif

// Warnings shown over the main window.
#ifndef BRINDLEWICK_MESSAGES_H
#define BRINDLEWICK_MESSAGES_H

#include <windows.h>
#include "error_text.h"
#include "site_tree.h"

// The type of every warning: an OK button, the warning icon, brought to the front.
const UINT WARNING_BOX = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND;

// A warning with the system's default caption.
void ShowWarning(HWND owner, const char* text);
// A warning that says what could not be done and then, after a blank line, the
// system's text for `code`.
void ShowError(HWND owner, const char* sentence, DWORD code);
// A warning that names a file and tells, in the system's words, what went wrong
// with it: `what` "path". then, after a blank line, the system's text for `code`.
void ShowFileError(HWND owner, const char* what, const char* path, DWORD code);
// The closing message of "Save Cached Files To Folder...": the counts and the
// first failure, with the warning icon when something failed.
void ShowSiteTreeOutcome(HWND owner, const char* folder, const SiteTreeOutcome* outcome, BOOL stopped);

#endif

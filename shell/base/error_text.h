// The system's words for an error code, for message boxes and standard error alike.
#ifndef BRINDLEWICK_ERROR_TEXT_H
#define BRINDLEWICK_ERROR_TEXT_H

#include <windows.h>

// Room for the system's sentence about an error code.
const int ERROR_TEXT_BYTES = 256;

// The system's sentence for an error code, without its line break, in
// ERROR_TEXT_BYTES bytes; "Error <code>." when the system has none.
void SystemErrorText(DWORD code, char* text);

#endif

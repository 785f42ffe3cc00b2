// Numbers as the user reads them.
#ifndef BRINDLEWICK_NUMBER_TEXT_H
#define BRINDLEWICK_NUMBER_TEXT_H

#include <windows.h>

// Room for the longest grouped number, "4,294,967,295", with its NUL.
const int GROUPED_NUMBER_BYTES = 16;

// The decimal digits with a comma between groups of three: "12,000".
void FormatGroupedNumber(DWORD value, char* text);

#endif

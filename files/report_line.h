// One line of the fixed-width text report.
#ifndef BRINDLEWICK_REPORT_LINE_H
#define BRINDLEWICK_REPORT_LINE_H

#include "listing.h"

// Room for the longest line: every number at its widest and 1,024 URL characters
// come to about 1,110 bytes.
const int REPORT_LINE_BUFFER = 2048;

// Writes the entry's line, CR LF included, as "%5d %-6s %5x %3d %6d %-19s %3ddy
// %.1024s\r\n" of entry number, report word, type flags, hit rate, size, last access
// text, years of exemption and URL ("<stray file>" without one) would give it.
// Gives its length; no NUL is written.
int FormatReportLine(char* line, const CacheEntry* entry);

// Digits of `value` in `base` (10 or 16, lower case), right-aligned in `width`
// with blanks, a minus sign before a negative number; gives the position after
// them. No NUL is written.
char* PutNumber(char* out, LONGLONG value, int base, int width);

#endif

// Putting text on the clipboard.
#ifndef BRINDLEWICK_CLIPBOARD_H
#define BRINDLEWICK_CLIPBOARD_H

#include <windows.h>

// Replaces the clipboard's content with the text, as CF_TEXT and as
// CF_UNICODETEXT (converted from the ANSI code page); gives 0 or the error.
DWORD PutClipboardText(HWND owner, const char* text);

#endif

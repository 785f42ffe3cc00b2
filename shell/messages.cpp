#include "messages.h"

// Room for a sentence, a path of up to 511 characters and the system's text.
const int MESSAGE_BYTES = 1024;
const int REASON_BYTES = 256;

void ShowWarning(HWND owner, const char* text)
{
    MessageBoxA(owner, text, NULL, WARNING_BOX);
}

// Appends as much of `text` as fits, always leaving the buffer NUL-terminated.
static void Append(char* buffer, int capacity, const char* text)
{
    int used = lstrlenA(buffer);
    if (used < capacity - 1)
        lstrcpynA(buffer + used, text, capacity - used);
}

// The system's sentence for an error code, without its line break; a plain
// number when the system has none.
static void ErrorReason(DWORD code, char* reason)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0,
                                  reason, REASON_BYTES, NULL);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == ' '))
        length--;
    reason[length] = '\0';
    if (length == 0)
        wsprintfA(reason, "Error %lu.", code);
}

void ShowFileError(HWND owner, const char* what, const char* path, DWORD code)
{
    char reason[REASON_BYTES];
    ErrorReason(code, reason);
    char text[MESSAGE_BYTES] = "";
    Append(text, MESSAGE_BYTES, what);
    Append(text, MESSAGE_BYTES, " \"");
    Append(text, MESSAGE_BYTES, path);
    Append(text, MESSAGE_BYTES, "\".\n\n");
    Append(text, MESSAGE_BYTES, reason);
    ShowWarning(owner, text);
}

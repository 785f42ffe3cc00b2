#include "messages.h"
#include "site_tree_text.h"

// Room for a sentence, a path of up to 511 characters and the system's text.
const int MESSAGE_BYTES = 1024;

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

void ShowError(HWND owner, const char* sentence, DWORD code)
{
    char reason[ERROR_TEXT_BYTES];
    SystemErrorText(code, reason);
    char text[MESSAGE_BYTES] = "";
    Append(text, MESSAGE_BYTES, sentence);
    Append(text, MESSAGE_BYTES, "\n\n");
    Append(text, MESSAGE_BYTES, reason);
    ShowWarning(owner, text);
}

void ShowFileError(HWND owner, const char* what, const char* path, DWORD code)
{
    char sentence[MESSAGE_BYTES] = "";
    Append(sentence, MESSAGE_BYTES, what);
    Append(sentence, MESSAGE_BYTES, " \"");
    Append(sentence, MESSAGE_BYTES, path);
    Append(sentence, MESSAGE_BYTES, "\".");
    ShowError(owner, sentence, code);
}

void ShowSiteTreeOutcome(HWND owner, const char* folder, const SiteTreeOutcome* outcome, BOOL stopped)
{
    char text[SITE_TREE_TEXT_BYTES + 16];
    lstrcpyA(text, stopped ? "Stopped. " : "");
    DescribeSiteTree(folder, outcome, "\n\n", text + lstrlenA(text));
    UINT type = outcome->failed ? WARNING_BOX : MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND;
    MessageBoxA(owner, text, "Save Cached Files To Folder", type);
}

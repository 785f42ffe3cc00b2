#include "console_output.h"
#include "error_text.h"
#include "site_tree_text.h"

// Room for a sentence, a path and the system's text.
static const int LINE_BYTES = 1024;

static HANDLE WritableStandardHandle(DWORD which)
{
    HANDLE handle = GetStdHandle(which);
    if (handle == NULL || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_UNKNOWN)
        return NULL;
    return handle;
}

void FindConsoleHandles(HANDLE* output, HANDLE* errors)
{
    *output = WritableStandardHandle(STD_OUTPUT_HANDLE);
    *errors = WritableStandardHandle(STD_ERROR_HANDLE);
    if ((*output && *errors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                 OPEN_EXISTING, 0, NULL);
    if (console == INVALID_HANDLE_VALUE)
        return;
    if (!*output)
        *output = console;
    if (!*errors)
        *errors = console;
}

void Print(HANDLE handle, const char* text)
{
    DWORD left = (DWORD)lstrlenA(text), written = 0;
    while (handle && left > 0 && WriteFile(handle, text, left, &written, NULL) && written > 0) {
        text += written;
        left -= written;
    }
}

BOOL PrintFailure(HANDLE handle, const char* what, const char* path, DWORD code)
{
    char reason[ERROR_TEXT_BYTES], line[LINE_BYTES];
    SystemErrorText(code, reason);
    if (path)
        wsprintfA(line, "%s \"%.600s\": %s\r\n", what, path, reason);
    else
        wsprintfA(line, "%s: %s\r\n", what, reason);
    Print(handle, line);
    return FALSE;
}

void PrintIncomplete(HANDLE handle, const char* path, LONG saved, LONG incomplete)
{
    char line[LINE_BYTES];
    wsprintfA(line, "%ld of the %ld entries saved in \"%.600s\" are without their complete cached file.\r\n",
              incomplete, saved, path);
    Print(handle, line);
}

BOOL PrintSiteTree(HANDLE handle, const char* folder, const SiteTreeOutcome* outcome)
{
    char text[SITE_TREE_TEXT_BYTES];
    DescribeSiteTree(folder, outcome, "\r\n", text);
    Print(handle, text);
    Print(handle, "\r\n");
    return outcome->failed == 0;
}

#include "error_text.h"

void SystemErrorText(DWORD code, char* reason)
{
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, code, 0,
                                  reason, ERROR_TEXT_BYTES, NULL);
    while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n' || reason[length - 1] == ' '))
        length--;
    reason[length] = '\0';
    if (length == 0)
        wsprintfA(reason, "Error %lu.", code);
}

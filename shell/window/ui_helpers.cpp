#include "ui_helpers.h"

void SetStdCursor(LPCSTR name)
{
    HCURSOR cursor = LoadCursorA(NULL, name);
    if (cursor)
        SetCursor(cursor);
}

void CheckOption(HMENU menu, UINT command, DWORD on)
{
    CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

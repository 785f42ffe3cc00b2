#include "clipboard.h"

// A movable block of `size` bytes, locked at `data`, as the clipboard takes
// them; null when memory ran out.
static HGLOBAL LockedBlock(SIZE_T size, void** data)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    *data = block ? GlobalLock(block) : NULL;
    if (block && !*data) {
        GlobalFree(block);
        return NULL;
    }
    return block;
}

static HGLOBAL AnsiCopy(const char* text)
{
    SIZE_T size = (SIZE_T)lstrlenA(text) + 1;
    void* data;
    HGLOBAL block = LockedBlock(size, &data);
    if (block) {
        CopyMemory(data, text, size);
        GlobalUnlock(block);
    }
    return block;
}

static HGLOBAL WideCopy(const char* text)
{
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    void* data;
    HGLOBAL block = units > 0 ? LockedBlock((SIZE_T)units * sizeof(WCHAR), &data) : NULL;
    if (block) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, (WCHAR*)data, units);
        GlobalUnlock(block);
    }
    return block;
}

// Hands one block to the open clipboard, which owns it from then on; frees it
// when the clipboard refused it.
static DWORD Put(UINT format, HGLOBAL block)
{
    if (!block)
        return ERROR_NOT_ENOUGH_MEMORY;
    if (SetClipboardData(format, block))
        return 0;
    DWORD error = GetLastError();
    GlobalFree(block);
    return error ? error : ERROR_INVALID_HANDLE;
}

DWORD PutClipboardText(HWND owner, const char* text)
{
    if (!OpenClipboard(owner)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_ACCESS_DENIED;
    }
    DWORD error = EmptyClipboard() ? 0 : GetLastError();
    if (!error)
        error = Put(CF_TEXT, AnsiCopy(text));
    if (!error)
        error = Put(CF_UNICODETEXT, WideCopy(text));
    CloseClipboard();
    return error;
}

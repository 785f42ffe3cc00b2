#include "open_entry.h"
#include "app_state.h"

// Extension buffer, in 16-bit units: a dot, up to 30 characters and the NUL.
const DWORD EXTENSION_UNITS = 32;

// Types that start a program, a script or an installer when opened by
// association. The system's own danger check is asked as well, but cannot be
// relied on to refuse these everywhere.
static const WCHAR* const ExecutableTypes[] = {
    L".exe", L".com", L".bat", L".cmd", L".pif", L".scr", L".cpl", L".msi", L".msp", L".mst",
    L".lnk", L".url", L".hta", L".js", L".jse", L".vb", L".vbs", L".vbe", L".ws", L".wsf",
    L".wsh", L".wsc", L".sct", L".ps1", L".ps1xml", L".ps2", L".psc1", L".psm1", L".psd1",
    L".msh", L".reg", L".jar", L".inf", L".ins", L".isp", L".scf", L".shb", L".shs", L".chm",
    L".hlp", L".msc", L".application", L".appref-ms", L".gadget", L".xbap", L".vsto",
    L".library-ms", L".settingcontent-ms", L".website", NULL,
};

BOOL IsExecutableType(const WCHAR* extension)
{
    for (int i = 0; ExecutableTypes[i]; i++) {
        if (lstrcmpiW(extension, ExecutableTypes[i]) == 0)
            return TRUE;
    }
    return FALSE;
}

WCHAR* FindExtension(const char* path, WCHAR* buffer, DWORD capacity)
{
    int length = lstrlenA(path);
    for (int i = length - 1; i >= 0; i--) {
        char c = path[i];
        if (c == '\\' || c == ':')
            return NULL;
        if (c != '.')
            continue;
        // The dot, the characters after it and the NUL.
        DWORD units = (DWORD)(length - i) + 1;
        if (units > capacity)
            return NULL;
        // Bytes of the ANSI code page become their real characters.
        if (!MultiByteToWideChar(CP_ACP, 0, path + i, -1, buffer, (int)capacity))
            return NULL;
        return buffer;
    }
    return NULL;
}

// The path as the open command's parameters: quoted when it holds a blank, so
// that the program takes it as one argument; otherwise exactly as stored.
static char* CommandParameters(const char* path)
{
    int length = lstrlenA(path);
    char* parameters = (char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length + 3);
    if (!parameters)
        return NULL;
    BOOL quote = FALSE;
    for (int i = 0; i < length; i++)
        quote |= path[i] == ' ';
    char* end = parameters;
    if (quote)
        *end++ = '"';
    CopyMemory(end, path, (SIZE_T)length);
    end += length;
    if (quote)
        *end++ = '"';
    *end = '\0';
    return parameters;
}

void OpenEntry(HWND window, LONG row)
{
    const CacheEntry* entry = EntryAt(&g_app.mainListing, row);
    if (!entry || !entry->localFile || !entry->localFile[0] || !g_app.shellExecute)
        return;
    const char* path = entry->localFile;

    if (g_app.settings.openCommand[0]) {
        char* parameters = CommandParameters(path);
        if (!parameters)
            return;
        g_app.shellExecute(window, "open", g_app.settings.openCommand, parameters, NULL, SW_SHOWDEFAULT);
        HeapFree(GetProcessHeap(), 0, parameters);
        return;
    }

    // Windows drops trailing dots and blanks from a file name when it opens it,
    // so such a name could hide an executable type behind an innocent extension.
    char last = path[lstrlenA(path) - 1];
    if (last == '.' || last == ' ')
        return;
    WCHAR extension[EXTENSION_UNITS];
    if (!FindExtension(path, extension, EXTENSION_UNITS) || IsExecutableType(extension))
        return;
    if (g_app.system.dangerCheck && g_app.system.dangerCheck(extension))
        return;
    g_app.shellExecute(window, "open", path, NULL, NULL, SW_SHOW);
}

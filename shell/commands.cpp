#include "commands.h"
#include "app_state.h"
#include "resource.h"
#include "settings.h"

void CheckOption(HMENU menu, UINT command, DWORD on)
{
    CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// Flips an option between 0 and 1; it takes effect at the next scan.
static void ToggleOption(HWND window, UINT command, DWORD* option)
{
    *option = *option ? 0 : 1;
    CheckOption(GetMenu(window), command, *option);
}

void OnCommand(HWND window, UINT command)
{
    switch (command) {
    case IDM_INCLUDE_STRAYS:
        ToggleOption(window, command, &g_app.settings.includeStrays);
        break;
    case IDM_INCLUDE_COOKIES:
        ToggleOption(window, command, &g_app.settings.includeCookies);
        break;
    case IDM_QUIT:
        // The window is left standing: it goes with the process.
        SaveSettings(window);
        PostQuitMessage(0);
        break;
    }
}

#include "startup.h"
#include <commctrl.h>
#include "app_state.h"
#include "cache_scan.h"
#include "entry_index.h"
#include "fill_progress.h"
#include "file_dialogs.h"
#include "filter_bar.h"
#include "find_dialog.h"
#include "long_work.h"
#include "work_commands.h"
#include "list_view.h"
#include "listing_summary.h"
#include "main_window.h"
#include "ordering.h"
#include "resource.h"
#include "settings.h"
#include "strays.h"

// Every message box of the start-up.
const UINT STARTUP_BOX = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND;

void SetStartupDefaults(HINSTANCE instance)
{
    ZeroMemory(&g_app, sizeof(g_app));
    g_app.instance = instance;
    SetDefaultSettings(&g_app.settings);
    g_app.openFileDialog = GetOpenFileNameA;
    g_app.saveFileDialog = GetSaveFileNameA;
    g_app.shellExecute = ShellExecuteA;
    g_app.browseForFolder = BrowseForFolder;
}

BOOL RegisterMainClass()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = g_app.instance;
    windowClass.hIcon = LoadIconA(g_app.instance, MAKEINTRESOURCEA(IDI_BRINDLEWICK));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0;
}

HWND CreateMainWindow(int showCommand)
{
    WindowParams* params = &g_app.settings.window;
    params->showCommand = (DWORD)showCommand;
    return CreateWindowExA(params->exStyle, MAIN_WINDOW_CLASS, params->title, params->style, params->x,
                           params->y, params->width, params->height, NULL, NULL, g_app.instance, NULL);
}

HWND StartUp(HINSTANCE instance, int showCommand)
{
    SetStartupDefaults(instance);
    LookUpSystemFunctions(&g_app.system);
    LoadSettings(&g_app.settings);
    if (!RegisterMainClass()) {
        MessageBoxA(NULL, "Couldn't register app - aborting!", NULL, STARTUP_BOX);
        return NULL;
    }
    HWND window = CreateMainWindow(showCommand);
    if (!window) {
        MessageBoxA(NULL, "Couldn't open application window - aborting!", NULL, STARTUP_BOX);
        return NULL;
    }
    // The empty window is on screen before the scan starts.
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    StartFirstScan(window);
    return window;
}

// The Find dialog takes its own keys (Enter, Tab, Escape, Ctrl+C in its text)
// before the shortcuts of the main window see them.
int RunMessageLoop()
{
    HACCEL shortcuts = LoadAcceleratorsA(g_app.instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (IsFindDialogMessage(&message))
            continue;
        HWND window = GetParent(g_app.listView);
        // Keys typed in the filter box are its own, save the function keys.
        if (shortcuts && window && !IsFilterBoxKey(&message) && TranslateAcceleratorA(window, shortcuts, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}

void ShutDown()
{
    StopAndWaitForLongWork();
    if (CurrentWork())
        EndLongWork(CurrentWork());
    FreeListing(&g_app.mainListing);
    FreeShownRows(&g_app.shownRows);
    g_app.shownRows = ShownRows();     // the filter too: it is never kept
    ReleaseSystemFunctions(&g_app.system);
}

// Entry point: a bare window that scans the cache and shows how many entries it holds.
#include <windows.h>
#include "app_state.h"
#include "cache_scan.h"

static LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        char text[64];
        int length = wsprintfA(text, "%d cache entries", (int)g_app.mainListing.count);
        TextOutA(dc, 8, 8, text, length);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    g_app.instance = instance;
    HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
    if (kernel) {
        g_app.freeSpaceQuery = (FreeSpaceQuery)(void*)GetProcAddress(kernel, "GetDiskFreeSpaceExA");
        FreeLibrary(kernel);
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = BareWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "Brindlewick";
    if (!RegisterClassA(&windowClass))
        return 0;
    HWND window = CreateWindowExA(0, "Brindlewick", "Brindlewick", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
    if (!window)
        return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    ScanCache(&g_app.mainListing);
    InvalidateRect(window, NULL, TRUE);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    FreeListing(&g_app.mainListing);
    return (int)message.wParam;
}

// Waits for the running Brindlewick window to finish its first scan, saves a
// picture of it and asks it to quit.
//   brindlewick_snapshot <output.png> [seconds to wait]
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>
#include "resource.h"
#include "window_capture.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: brindlewick_snapshot <output.png> [seconds]\n");
        return 2;
    }
    int seconds = argc > 2 ? atoi(argv[2]) : 300;
    HWND window = NULL;
    for (int waited = 0; !window && waited < seconds * 10; waited++) {
        window = FindWindowA("Brindlewick", NULL);
        if (!window)
            Sleep(100);
    }
    if (!window) {
        fprintf(stderr, "The Brindlewick window did not appear.\n");
        return 1;
    }
    // The first scan runs before the message loop: the window answers only
    // once it is done.
    DWORD_PTR answer;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, seconds * 1000, &answer)) {
        fprintf(stderr, "The Brindlewick window did not finish its first scan.\n");
        return 1;
    }
    SetWindowPos(window, NULL, 10, 10, 1200, 700, SWP_NOZORDER);
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(1000);
    bool saved = SaveWindowPng(window, argv[1]);
    PostMessageA(window, WM_COMMAND, IDM_QUIT, 0);
    if (!saved) {
        fprintf(stderr, "The picture could not be saved.\n");
        return 1;
    }
    return 0;
}

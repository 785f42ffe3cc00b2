// Helps scripts/run.sh photograph the running Brindlewick window on a display
// without a screen: the picture itself is taken from the X server (what the
// display shows, the list view's rows included), not from the window's own
// device context, which can miss child controls that have not painted into it.
//   brindlewick_snapshot ready [seconds to wait]
//       waits for the window and its first scan, places it, lets it repaint and
//       prints its rectangle on the screen as WIDTHxHEIGHT+X+Y
//   brindlewick_snapshot quit
//       asks the window to quit
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>
#include "resource.h"

static HWND WaitForWindow(int seconds)
{
    HWND window = NULL;
    for (int waited = 0; !window && waited < seconds * 10; waited++) {
        window = FindWindowA("Brindlewick", NULL);
        if (!window)
            Sleep(100);
    }
    return window;
}

int main(int argc, char** argv)
{
    if (argc < 2 || (strcmp(argv[1], "ready") != 0 && strcmp(argv[1], "quit") != 0)) {
        fprintf(stderr, "usage: brindlewick_snapshot ready [seconds] | quit\n");
        return 2;
    }
    int seconds = argc > 2 ? atoi(argv[2]) : 300;
    HWND window = WaitForWindow(seconds);
    if (!window) {
        fprintf(stderr, "The Brindlewick window did not appear.\n");
        return 1;
    }
    if (strcmp(argv[1], "quit") == 0) {
        PostMessageA(window, WM_COMMAND, IDM_QUIT, 0);
        return 0;
    }
    // The first scan runs before the message loop: the window answers only
    // once it is done.
    DWORD_PTR answer;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, seconds * 1000, &answer)) {
        fprintf(stderr, "The Brindlewick window did not finish its first scan.\n");
        return 1;
    }
    SetWindowPos(window, HWND_TOP, 10, 10, 1200, 700, 0);
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, seconds * 1000, &answer);
    Sleep(1000);
    RECT place;
    GetWindowRect(window, &place);
    printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left, place.top);
    return 0;
}

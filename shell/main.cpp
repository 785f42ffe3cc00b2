// Entry point: start-up, the message loop, and the end of the run.
#include <windows.h>
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    if (!StartUp(instance, showCommand))
        return 0;
    int exitCode = RunMessageLoop();
    ShutDown();
    return exitCode;
}

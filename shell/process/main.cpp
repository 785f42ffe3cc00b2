// Entry point: start-up, the message loop, and the end of the run; or, with
// arguments, a run for scripts without a window.
#include <windows.h>
#include <stdlib.h>
#include "command_line.h"
#include "console_output.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    if (__argc > 1) {
        HANDLE output, errors;
        FindConsoleHandles(&output, &errors);
        return RunCommandLine(__argc - 1, __argv + 1, output, errors);
    }
    if (!StartUp(instance, showCommand))
        return 0;
    int exitCode = RunMessageLoop();
    ShutDown();
    return exitCode;
}

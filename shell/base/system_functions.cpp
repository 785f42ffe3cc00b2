#include "system_functions.h"

void LookUpSystemFunctions(SystemFunctions* functions)
{
    ZeroMemory(functions, sizeof *functions);
    HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
    if (kernel) {
        functions->freeSpaceQuery = (FreeSpaceQuery)(void*)GetProcAddress(kernel, "GetDiskFreeSpaceExA");
        FreeLibrary(kernel);
    }
    HMODULE shlwapi = LoadLibraryA("SHLWAPI.DLL");
    if (shlwapi) {
        functions->dangerCheck = (DangerCheck)(void*)GetProcAddress(shlwapi, "AssocIsDangerous");
        if (functions->dangerCheck)
            functions->shlwapi = shlwapi;
        else
            FreeLibrary(shlwapi);
    }
}

void ReleaseSystemFunctions(SystemFunctions* functions)
{
    if (functions->shlwapi)
        FreeLibrary(functions->shlwapi);
    functions->shlwapi = NULL;
    functions->dangerCheck = NULL;
}

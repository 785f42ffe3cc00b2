// The system functions that not every system has, looked up at run time.
#ifndef BRINDLEWICK_SYSTEM_FUNCTIONS_H
#define BRINDLEWICK_SYSTEM_FUNCTIONS_H

#include <windows.h>
#include "cache_scan.h"     // FreeSpaceQuery

typedef HRESULT (WINAPI *DangerCheck)(LPCWSTR extension);

struct SystemFunctions {
    FreeSpaceQuery freeSpaceQuery;  // GetDiskFreeSpaceExA, or null
    DangerCheck dangerCheck;        // AssocIsDangerous, or null
    HMODULE shlwapi;                // held only while dangerCheck is set
};

// GetDiskFreeSpaceExA and AssocIsDangerous, each null when the system lacks it;
// SHLWAPI stays loaded for as long as its danger check is in use.
void LookUpSystemFunctions(SystemFunctions* functions);
// Lets go of the library held for the danger check.
void ReleaseSystemFunctions(SystemFunctions* functions);

#endif

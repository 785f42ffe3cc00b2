#include "enumeration_clock.h"
#include <windows.h>
#include <wininet.h>
#include "timing.h"

namespace {

typedef HANDLE(WINAPI* FindFirst)(LPCSTR, LPINTERNET_CACHE_ENTRY_INFOA, LPDWORD);
typedef BOOL(WINAPI* FindNext)(HANDLE, LPINTERNET_CACHE_ENTRY_INFOA, LPDWORD);

FindFirst realFindFirst;
FindNext realFindNext;
double spentMs;

// Runs a call with the clock on, keeping the last error the call left.
template <typename Call>
auto Clocked(Call call)
{
    double start = NowMs();
    auto result = call();
    DWORD error = GetLastError();
    spentMs += NowMs() - start;
    SetLastError(error);
    return result;
}

HANDLE WINAPI TimedFindFirst(LPCSTR pattern, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size)
{
    return Clocked([&] { return realFindFirst(pattern, info, size); });
}

BOOL WINAPI TimedFindNext(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size)
{
    return Clocked([&] { return realFindNext(find, info, size); });
}

// Replaces the import table entry that holds `real` with `timed`.
bool Replace(void* real, void* timed)
{
    BYTE* image = (BYTE*)GetModuleHandleA(NULL);
    auto* dos = (IMAGE_DOS_HEADER*)image;
    auto* nt = (IMAGE_NT_HEADERS*)(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* module = (IMAGE_IMPORT_DESCRIPTOR*)(image + imports.VirtualAddress); module->Name; module++) {
        for (auto* thunk = (IMAGE_THUNK_DATA*)(image + module->FirstThunk); thunk->u1.Function; thunk++) {
            if ((void*)thunk->u1.Function != real)
                continue;
            DWORD protection;
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &protection);
            thunk->u1.Function = (ULONG_PTR)timed;
            VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

}  // namespace

bool StartEnumerationClock()
{
    if (realFindFirst)
        return true;
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    if (!wininet)
        return false;
    realFindFirst = (FindFirst)(void*)GetProcAddress(wininet, "FindFirstUrlCacheEntryA");
    realFindNext = (FindNext)(void*)GetProcAddress(wininet, "FindNextUrlCacheEntryA");
    bool replaced = realFindFirst && realFindNext && Replace((void*)realFindFirst, (void*)TimedFindFirst) &&
                    Replace((void*)realFindNext, (void*)TimedFindNext);
    if (!replaced)
        realFindFirst = NULL;
    return replaced;
}

double EnumerationMs()
{
    return spentMs;
}

#include "run_program.h"
#include <windows.h>
#include <string.h>
#include "backup_builder.h"

int RunProgram(const std::string& arguments, const char* zone, std::string* errors)
{
    char self[MAX_PATH];
    std::string program(self, GetModuleFileNameA(NULL, self, MAX_PATH));
    std::string line = "\"" + program.substr(0, program.rfind('\\')) + "\\..\\brindlewick.exe\" " + arguments;
    std::string environment;
    for (const char* variable = GetEnvironmentStringsA(); *variable; variable += strlen(variable) + 1)
        if (!zone || _strnicmp(variable, "TZ=", 3) != 0)
            environment.append(variable, strlen(variable) + 1);
    if (zone)
        environment += std::string("TZ=") + zone + '\0';
    environment += '\0';
    TempFile errorFile("brindlewick stderr of run.txt");
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    if (errors) {
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdError = CreateFileA(errorFile.path.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, NULL);
    }
    PROCESS_INFORMATION process;
    DWORD exitCode = (DWORD)-1;
    if (CreateProcessA(NULL, &line[0], NULL, NULL, errors != nullptr, 0, &environment[0], NULL, &start, &process)) {
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    if (errors) {
        CloseHandle(start.hStdError);
        *errors = errorFile.Read();
    }
    return (int)exitCode;
}

// Starting brindlewick.exe as a script does, from a test.
#ifndef BRINDLEWICK_TEST_RUN_PROGRAM_H
#define BRINDLEWICK_TEST_RUN_PROGRAM_H

#include <string>

// Runs the program beside the test's folder with `arguments`, in the zone `zone` (null: this process's), its
// standard error into `errors` when given; gives its exit code, or -1 when it could not start.
int RunProgram(const std::string& arguments, const char* zone = nullptr, std::string* errors = nullptr);

#endif

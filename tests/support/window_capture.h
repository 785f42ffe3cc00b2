// Screenshots of a window as PNG files.
#ifndef BRINDLEWICK_TEST_WINDOW_CAPTURE_H
#define BRINDLEWICK_TEST_WINDOW_CAPTURE_H

#include <windows.h>
#include <string>

// Copies the window, frame and menu included, as it stands on the screen, and
// writes it as a PNG file.
bool SaveWindowPng(HWND window, const std::string& path);
// Where a test output file of that name goes: in BRINDLEWICK_TEST_OUTPUT (a host
// path, reached through drive Z:), else in the current folder. `hostPath` gets the
// name to tell a person.
std::string TestOutputPath(const char* name, std::string* hostPath);

#endif

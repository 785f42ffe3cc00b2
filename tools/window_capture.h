// Screenshots of a window as PNG files.
#ifndef BRINDLEWICK_WINDOW_CAPTURE_H
#define BRINDLEWICK_WINDOW_CAPTURE_H

#include <windows.h>
#include <string>

// Copies the window, frame and menu included, as it stands on the screen, and
// writes it as a PNG file.
bool SaveWindowPng(HWND window, const std::string& path);

#endif

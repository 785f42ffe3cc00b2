// Steps of the window's rounds that other groups of the benchmark take too.
#ifndef BRINDLEWICK_BENCH_WINDOW_STEPS_H
#define BRINDLEWICK_BENCH_WINDOW_STEPS_H

#include <windows.h>
#include "listing.h"

// Start-up as the program makes it, with a listing prepared in memory (which the
// window takes) standing in for the first scan's result.
HWND OpenWithListing(Listing* prepared);
// Paints what start-up or a command left invalid, as the message loop would next.
void Paint(HWND window);
// Closes the window as the close box does and frees what the start-up made.
void CloseMainWindow(HWND* window);

#endif

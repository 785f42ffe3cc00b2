// The commands that run as long work, and what the window does with their results
// and their progress. Meanwhile the window answers, and the commands that would
// change the listing or start other work wait (WaitsForWork).
#ifndef BRINDLEWICK_WORK_COMMANDS_H
#define BRINDLEWICK_WORK_COMMANDS_H

#include <windows.h>
#include "long_work.h"

// The first scan, started once the empty window is on screen: its rows appear as
// they are read, in the order they arrive.
void StartFirstScan(HWND window);
// What start-up does with the filled main listing: its indexes, strays and order
// (unless the worker `prepared` them already), and the rows and status bar texts
// that show it.
void PresentFirstListing(BOOL prepared);
// "Scan Cache", the two loads, "Compare with Backup File...", "Save Listing",
// "Save Cache Backup...", "Export CSV..." and "Save Cached Files To Folder...":
// asks what it needs and starts the work.
void StartWorkCommand(HWND window, UINT command);
// The record of the next work, with what it takes from the window's state now (the
// options, the rows shown, the selection is taken by BeginWork).
LongWork* NewWork(HWND window, WorkKind kind);
// Starts the work; says so when it cannot start.
void BeginWork(HWND window, LongWork* work);
// Whether the command must wait while work runs: it would change the listing, its
// order or the options the work uses, or start other work.
BOOL WaitsForWork(UINT command);

// The worker's messages.
void OnWorkProgress(WPARAM done, LPARAM detail);
void OnWorkRows(Listing* batch);
void OnWorkDone(HWND window, LongWork* work);

#endif

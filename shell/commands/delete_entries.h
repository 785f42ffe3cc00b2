// "Delete From Cache..." (the selected row) and "Delete Shown Entries From
// Cache...": after the user's confirmation the entries go from the WinINet cache,
// then a "Scan Cache" shows them as Deleted like any other change.
#ifndef BRINDLEWICK_DELETE_ENTRIES_H
#define BRINDLEWICK_DELETE_ENTRIES_H

#include <windows.h>
#include "cache_delete.h"

// IDM_DELETE_ENTRY or IDM_DELETE_SHOWN: asks, then starts the deletion.
void StartDeleteCommand(HWND window, UINT command);
// Once the deletion ended: starts the rescan and tells what could not be deleted.
void FinishDeletion(HWND window, const CacheDeleteOutcome* deletion);

#endif

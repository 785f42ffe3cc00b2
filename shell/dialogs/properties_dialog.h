// The Properties dialog: every field of one entry in full, in read-only fields
// that can be selected and copied.
#ifndef BRINDLEWICK_PROPERTIES_DIALOG_H
#define BRINDLEWICK_PROPERTIES_DIALOG_H

#include <windows.h>
#include "listing.h"

// Shows the entry's properties, modal over the window.
void ShowProperties(HWND window, const CacheEntry* entry);

#endif

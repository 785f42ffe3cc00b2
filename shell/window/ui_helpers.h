// Small things many commands do to the window: the cursor during long work and
// the check marks of the option items.
#ifndef BRINDLEWICK_UI_HELPERS_H
#define BRINDLEWICK_UI_HELPERS_H

#include <windows.h>

// Shows a system cursor (IDC_WAIT at the start of long work, IDC_ARROW at its end).
void SetStdCursor(LPCSTR name);
// Sets or clears the check mark of a menu item.
void CheckOption(HMENU menu, UINT command, DWORD on);

#endif

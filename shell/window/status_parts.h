// The parts of the status bar: the totals (part 0) and the strays (part 1), and
// while only changes are shown a third part at the right end, "Showing N of M".
#ifndef BRINDLEWICK_STATUS_PARTS_H
#define BRINDLEWICK_STATUS_PARTS_H

#include <windows.h>

// Sets the parts for the status bar's width and the filter's state, and the
// third part's text; the texts of parts 0 and 1 stay.
void PlaceStatusParts();
// Rewrites "Showing N of M" while only changes are shown.
void ShowShownCount();

#endif

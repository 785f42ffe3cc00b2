// Writing a listing's totals into the main window's status bar.
#ifndef BRINDLEWICK_LISTING_SUMMARY_H
#define BRINDLEWICK_LISTING_SUMMARY_H

#include "listing.h"

// Part 0 gets the sizes; part 1 the strays, only while strays are included, and
// keeps its last text otherwise.
void ShowListingSummary(const Listing* listing);

#endif

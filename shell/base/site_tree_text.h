// The words for what a save of cached files to a folder did, for the window's
// closing message and for standard error alike.
#ifndef BRINDLEWICK_SITE_TREE_TEXT_H
#define BRINDLEWICK_SITE_TREE_TEXT_H

#include <windows.h>
#include "site_tree.h"

// Room for the text: a folder of up to 511 characters, a URL and the system's text.
const int SITE_TREE_TEXT_BYTES = 1400;

// "Cached files saved in "FOLDER": 12 saved, 3 skipped (no local file, or the
// file is gone), 1 failed." and, when one failed, `lineBreak` and "The first
// failure, "URL": " and the system's text for its code.
void DescribeSiteTree(const char* folder, const SiteTreeOutcome* outcome, const char* lineBreak, char* text);

#endif

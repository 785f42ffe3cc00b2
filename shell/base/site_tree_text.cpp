#include "site_tree_text.h"
#include "error_text.h"
#include "number_text.h"

// Appends as much of `text` as fits.
static void Append(char* buffer, const char* text)
{
    int used = lstrlenA(buffer);
    if (used < SITE_TREE_TEXT_BYTES - 1)
        lstrcpynA(buffer + used, text, SITE_TREE_TEXT_BYTES - used);
}

void DescribeSiteTree(const char* folder, const SiteTreeOutcome* outcome, const char* lineBreak, char* text)
{
    char saved[GROUPED_NUMBER_BYTES], skipped[GROUPED_NUMBER_BYTES], failed[GROUPED_NUMBER_BYTES], counts[160];
    FormatGroupedNumber((DWORD)outcome->saved, saved);
    FormatGroupedNumber((DWORD)outcome->skipped, skipped);
    FormatGroupedNumber((DWORD)outcome->failed, failed);
    wsprintfA(counts, "\": %s saved, %s skipped (no local file, or the file is gone), %s failed.", saved, skipped,
              failed);
    text[0] = '\0';
    Append(text, "Cached files saved in \"");
    Append(text, folder);
    Append(text, counts);
    if (!outcome->failed)
        return;
    char reason[ERROR_TEXT_BYTES];
    SystemErrorText(outcome->firstError, reason);
    Append(text, lineBreak);
    Append(text, "The first failure, \"");
    Append(text, outcome->firstUrl);
    Append(text, "\": ");
    Append(text, reason);
}

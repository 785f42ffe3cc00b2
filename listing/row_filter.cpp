#include "row_filter.h"
#include "entry_status.h"
#include "text_match.h"

static BOOL IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

void SetFilterText(RowFilter* filter, const char* text)
{
    filter->wordCount = 0;
    int used = 0;
    const int maxWords = (int)sizeof filter->wordStart;
    for (const char* at = text; *at && filter->wordCount < maxWords;) {
        while (IsBlank(*at))
            at++;
        BOOL excluded = *at == '-';
        if (excluded)
            at++;
        int length = 0;
        while (at[length] && !IsBlank(at[length]))
            length++;
        // A lone '-' excludes nothing; a word that does not fit is left out.
        if (length > 0 && used + length + 1 <= FILTER_TEXT_BYTES) {
            filter->excluded[filter->wordCount] = (BYTE)excluded;
            CopyMemory(filter->words + used, at, length);
            filter->words[used + length] = '\0';
            filter->wordStart[filter->wordCount++] = (BYTE)used;
            used += length + 1;
        }
        at += length;
    }
}

BOOL FilterNarrows(const RowFilter* filter)
{
    return filter && (filter->changedOnly || filter->wordCount > 0);
}

BOOL EntryShown(const CacheEntry* entry, const RowFilter* filter)
{
    if (!filter)
        return TRUE;
    if (filter->changedOnly && !IsChangedStatus(entry->status))
        return FALSE;
    for (int i = 0; i < filter->wordCount; i++) {
        BOOL holds = EntryHoldsText(entry, filter->words + filter->wordStart[i], FALSE);
        if (holds == (BOOL)filter->excluded[i])
            return FALSE;
    }
    return TRUE;
}

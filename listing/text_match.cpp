#include "text_match.h"

struct LowerCaseTable {
    BYTE of[256];
};

// Every byte of the ANSI code page in lower case, made once for every thread.
static LowerCaseTable MakeLowerCase()
{
    LowerCaseTable table;
    char bytes[256];
    for (int i = 0; i < 256; i++)
        bytes[i] = (char)i;
    CharLowerBuffA(bytes + 1, 255);
    CopyMemory(table.of, bytes, sizeof table.of);
    return table;
}

static const BYTE* LowerCase()
{
    static const LowerCaseTable table = MakeLowerCase();
    return table.of;
}

BOOL TextHolds(const char* text, const char* wanted, BOOL matchCase)
{
    if (!text)
        return FALSE;
    const BYTE* lower = LowerCase();
    const BYTE* find = (const BYTE*)wanted;
    if (!find[0])
        return TRUE;
    BYTE first = matchCase ? find[0] : lower[find[0]];
    for (const BYTE* at = (const BYTE*)text; *at; at++) {
        if ((matchCase ? *at : lower[*at]) != first)
            continue;
        int i = 1;
        while (find[i] && at[i] && (matchCase ? at[i] == find[i] : lower[at[i]] == lower[find[i]]))
            i++;
        if (!find[i])
            return TRUE;
    }
    return FALSE;
}

BOOL EntryHoldsText(const CacheEntry* entry, const char* wanted, BOOL matchCase)
{
    return TextHolds(entry->url, wanted, matchCase) || TextHolds(entry->localFile, wanted, matchCase) ||
           TextHolds(entry->headerText, wanted, matchCase);
}

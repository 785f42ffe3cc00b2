#include "find_text.h"
#include "shown_rows.h"

// Every byte of the ANSI code page in lower case, for searches that ignore case.
static BYTE LowerCase[256];

static void FillLowerCase()
{
    if (LowerCase['A'] == 'a')
        return;
    char bytes[256];
    for (int i = 0; i < 256; i++)
        bytes[i] = (char)i;
    CharLowerBuffA(bytes + 1, 255);
    CopyMemory(LowerCase, bytes, sizeof(LowerCase));
}

static BOOL SameByte(char a, char b, BOOL matchCase)
{
    return matchCase ? a == b : LowerCase[(BYTE)a] == LowerCase[(BYTE)b];
}

static BOOL Holds(const char* text, const char* wanted, BOOL matchCase)
{
    if (!text)
        return FALSE;
    for (; *text; text++) {
        int i = 0;
        while (wanted[i] && text[i] && SameByte(text[i], wanted[i], matchCase))
            i++;
        if (!wanted[i])
            return TRUE;
    }
    return FALSE;
}

BOOL EntryMatches(const CacheEntry* entry, const FindRequest* request)
{
    const char* wanted = request->text;
    if (!entry || !wanted[0])
        return FALSE;
    FillLowerCase();
    return Holds(entry->url, wanted, request->matchCase) || Holds(entry->localFile, wanted, request->matchCase) ||
           Holds(entry->headerText, wanted, request->matchCase);
}

LONG FindRow(const FindRequest* request, LONG from, BOOL forward)
{
    LONG rows = ShownRowCount();
    if (rows <= 0)
        return -1;
    if (from < 0 || from >= rows)
        from = forward ? rows - 1 : 0;
    LONG step = forward ? 1 : rows - 1;
    LONG row = from;
    for (LONG visited = 0; visited < rows; visited++) {
        row = (row + step) % rows;
        if (EntryMatches(EntryOfRow(row), request))
            return row;
    }
    return -1;
}

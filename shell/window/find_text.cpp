#include "find_text.h"
#include "shown_rows.h"
#include "text_match.h"

BOOL EntryMatches(const CacheEntry* entry, const FindRequest* request)
{
    return entry && request->text[0] && EntryHoldsText(entry, request->text, request->matchCase);
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

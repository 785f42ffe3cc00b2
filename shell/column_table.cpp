#include "column_table.h"

const ColumnDef ColumnTable[COLUMN_COUNT + 1] = {
    {"Entry #", 52},
    {"URL", 300},
    {"Status", 52},
    {"Local File", 100},
    {"Size", 52},
    {"Last Access", 115},
    {"Last Modified", 115},
    {"Last Sync'ed", 115},
    {"Flags", 50},
    {"HR", 30},
    {"UC", 30},
    {"Exempt", 50},
    {"Expire Time", 115},
    {"HTTP Response Header", 300},
    {NULL, 0},
};

void ColumnCaptions(const char* captions[COLUMN_COUNT])
{
    for (int i = 0; i < COLUMN_COUNT; i++)
        captions[i] = ColumnTable[i].caption;
}

// Fills the WinINet cache of the prefix it runs in with a few hundred sample
// entries, replacing whatever the cache held, so that a first look at Brindlewick
// shows a full window.
#include <stdio.h>
#include <windows.h>
#include "cache_seed.h"
#include "sample_entries.h"

int main()
{
    ClearUrlCache();
    EntryMaker maker = NewEntryMaker(20050307, "", "");
    int seeded = 0;
    for (const EntrySpec& entry : MakeEntries(&maker, 400))
        seeded += SeedSampleEntry(entry, entry.size) ? 1 : 0;
    printf("Seeded the demo cache with %d sample entries.\n", seeded);
    return seeded > 0 ? 0 : 1;
}

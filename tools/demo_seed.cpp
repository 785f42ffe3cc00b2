// Fills the WinINet cache of the prefix it runs in with a few hundred sample
// entries, replacing whatever the cache held, so that a first look at Brindlewick
// shows a full window.
#include <stdio.h>
#include <windows.h>
#include "cache_seed.h"
#include "sample_cache.h"

int main()
{
    ClearUrlCache();
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    int seeded = SeedSampleCache(400, now);
    printf("Seeded the demo cache with %d sample entries.\n", seeded);
    return seeded > 0 ? 0 : 1;
}

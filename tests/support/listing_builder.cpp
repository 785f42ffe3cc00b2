#include "listing_builder.h"
#include "heap.h"

CacheEntry* AddEntry(Listing* listing, const char* url, const char* localFile, const char* header)
{
    CacheEntry* entry = NewEntry(listing);
    if (!entry)
        return nullptr;
    ZeroMemory(entry, sizeof(*entry));
    entry->status = 1;
    entry->url = url ? CopyString(listing, url) : nullptr;
    entry->localFile = localFile ? CopyString(listing, localFile) : nullptr;
    entry->headerText = header ? CopyString(listing, header) : nullptr;
    entry->entryNumber = listing->count++;
    return entry;
}

HeapFailureGuard::~HeapFailureGuard()
{
    FailHeapAfter(-1);
    PoisonReleasedHeap(FALSE);
}

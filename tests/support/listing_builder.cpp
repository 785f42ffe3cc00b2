#include "listing_builder.h"
#include <gtest/gtest.h>
#include <string>
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

HeapFailureGuard::~HeapFailureGuard() { FailHeapAfter(-1), PoisonReleasedHeap(FALSE); }

LONG ForEachHeapFailure(const std::function<void()>& setup, const std::function<void()>& act,
                        const std::function<void(bool failed)>& check)
{
    HeapFailureGuard guard;
    for (LONG k = 0;; k++) {
        SCOPED_TRACE("heap request " + std::to_string(k) + " fails");
        setup();
        ResetHeapRequestCount();
        FailHeapAfter(k);
        act();
        FailHeapAfter(-1);
        bool failed = HeapRequestCount() > k;
        check(failed);
        if (!failed || k >= 10000)
            return k;
    }
}

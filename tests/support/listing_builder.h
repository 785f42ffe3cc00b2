// Building listings by hand in tests, and the out-of-memory sweep (with GoogleTest and the heap seam it drives).
#ifndef BRINDLEWICK_TEST_LISTING_BUILDER_H
#define BRINDLEWICK_TEST_LISTING_BUILDER_H

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "heap.h"
#include "listing.h"

// A listing that frees itself at the end of the test.
struct TestListing {
    Listing listing = {};
    TestListing() { InitListing(&listing); }
    ~TestListing() { FreeListing(&listing); }
    Listing* operator->() { return &listing; }
    Listing* get() { return &listing; }
};

inline ULONGLONG Ticks(const FILETIME& time) { return ((ULONGLONG)time.dwHighDateTime << 32) | time.dwLowDateTime; }

// Appends a record with the strings (null stays null), numbers 0, status 1, entry number = count.
inline CacheEntry* AddEntry(Listing* listing, const char* url, const char* localFile, const char* header = nullptr)
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

// Restores the heap seam to normal when a test ends, whatever happened.
struct HeapFailureGuard {
    ~HeapFailureGuard() { FailHeapAfter(-1), PoisonReleasedHeap(FALSE); }
};

// The out-of-memory sweep: for k = 0, 1, ... runs `setup`, then `act` with its k-th heap request
// failing, then `check(failed)`: whether `act` met the failure. Ends after the first run that did
// not; gives the number of runs that did.
inline LONG ForEachHeapFailure(const std::function<void()>& setup, const std::function<void()>& act,
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

#endif

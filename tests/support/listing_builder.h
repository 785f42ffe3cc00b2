// Small helpers for building listings by hand in tests, and the out-of-memory sweep.
#ifndef BRINDLEWICK_TEST_LISTING_BUILDER_H
#define BRINDLEWICK_TEST_LISTING_BUILDER_H

#include <string>
#include <vector>
#include <functional>
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
CacheEntry* AddEntry(Listing* listing, const char* url, const char* localFile, const char* header = nullptr);

// Restores the heap seam to normal when a test ends, whatever happened.
struct HeapFailureGuard {
    ~HeapFailureGuard();
};

// The out-of-memory sweep: for k = 0, 1, ... runs `setup`, then `act` with its k-th heap request
// failing, then `check(failed)`: whether `act` met the failure. Ends after the first run that did
// not; gives the number of runs that did.
LONG ForEachHeapFailure(const std::function<void()>& setup, const std::function<void()>& act,
                        const std::function<void(bool failed)>& check);

#endif

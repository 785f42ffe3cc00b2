// Small helpers for building listings by hand in tests.
#ifndef BRINDLEWICK_TEST_LISTING_BUILDER_H
#define BRINDLEWICK_TEST_LISTING_BUILDER_H

#include "listing.h"

// A listing that frees itself at the end of the test.
struct TestListing {
    Listing listing = {};
    TestListing() { InitListing(&listing); }
    ~TestListing() { FreeListing(&listing); }
    Listing* operator->() { return &listing; }
    Listing* get() { return &listing; }
};

// Appends a record with the given strings (null stays null) and every number 0,
// status 1, entry number = count; gives the record.
CacheEntry* AddEntry(Listing* listing, const char* url, const char* localFile, const char* header = nullptr);

// Restores the heap seam to normal when a test ends, whatever happened.
struct HeapFailureGuard {
    ~HeapFailureGuard();
};

#endif

// Small helpers for building listings by hand in tests.
#ifndef BRINDLEWICK_TEST_LISTING_BUILDER_H
#define BRINDLEWICK_TEST_LISTING_BUILDER_H

#include <string>
#include <vector>
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

// `count` different keys whose probe sequences start at slot `home` of a table of
// `tableSize` slots.
std::vector<std::string> CollidingKeys(int count, DWORD tableSize, DWORD home);

// Restores the heap seam to normal when a test ends, whatever happened.
struct HeapFailureGuard {
    ~HeapFailureGuard();
};

#endif

// Filling a listing from the real WinINet cache, and the cluster measurement.
#include <gtest/gtest.h>
#include "backup_builder.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "listing_builder.h"

// A scan that runs out of memory anywhere (the pools, the buffer and its growth for a long header,
// a second block of records) frees the listing and says 8.
TEST(Scan, OutOfMemoryAnywhereFreesTheListingWith8)
{
    ClearUrlCache();
    for (int i = 0; i < 120; i++)
        SeedCacheEntry({"http://example.com/" + std::to_string(i), "x", NORMAL_ENTRY, std::string(i ? 9 : 5000, 'h')});
    Listing listing = {};
    LONG failures = ForEachHeapFailure([&] { FreeListing(&listing); },
                                       [&] { ScanCache(&listing, TRUE, GetDiskFreeSpaceExA); }, [&](bool failed) {
        EXPECT_EQ(listing.error, failed ? 8u : 0u);
        EXPECT_EQ(listing.count, failed ? 0 : 120);
        EXPECT_EQ(listing.records == nullptr, failed);
    });
    EXPECT_GE(failures, 5);
    FreeListing(&listing);
}

// Off NTFS, the cluster probe writes C:\__tmp and measures the free space it took: a plausible
// size or 0, nothing left behind, and a user's file of that name neither used nor changed.
TEST(ClusterSize, TheProbeLeavesNothingAndTouchesNoUsersFile)
{
    TempFile probe("");
    probe.path = "C:\\__tmp";
    DeleteFileA(probe.path.c_str());
    DWORD size = ClusterSizeForVolume("C:\\", "FAT32", 0, GetDiskFreeSpaceExA);
    EXPECT_TRUE(size == 0 || (size >= 512 && size <= 65536 && (size & (size - 1)) == 0)) << size;
    EXPECT_EQ(GetFileAttributesA(probe.path.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(probe.Write("mine"));
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "FAT32", 0, GetDiskFreeSpaceExA), 0u);
    EXPECT_EQ(probe.Read(), "mine");
}

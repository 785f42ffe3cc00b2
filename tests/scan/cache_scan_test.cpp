// Filling a listing from the real WinINet cache, and the cluster measurement.
#include <string.h>
#include "backup_builder.h"
#include "cache_scan.h"
#include "cache_seed.h"
#include "listing_builder.h"

// Entries larger than the buffer (the first, a cookie) are read, history never; the cluster size is measured
// once, not on a cookie; a local file loses one trailing dot; out of memory anywhere frees the listing.
TEST(Scan, EveryKindOfEntryAndOutOfMemoryAnywhere)
{
    ClearUrlCache();
    Listing listing = {};
    auto scan = [&] { FreeListing(&listing), ScanCache(&listing, TRUE, GetDiskFreeSpaceExA); };
    SeedCacheEntry({"Cookie:user@example.com/", "x", COOKIE_ENTRY, std::string(5000, 'h')});
    scan();
    EXPECT_TRUE(listing.count == 1 && listing.clusterSize == 0) << listing.count;
    for (int i = 0; i < 120; i++)
        SeedCacheEntry({(i ? "http://h/" : "Visited: u@http://h/") + std::to_string(i), "x", i ? 1 : HISTORY_ENTRY});
    std::string file = SeedCacheEntry({"http://example.com/dot"});
    ASSERT_TRUE(CommitUrlCacheEntryA("http://example.com/dot.", (file + ".").c_str(), {}, {}, 1, NULL, 0, NULL, NULL));
    LONG failures = ForEachHeapFailure([] {}, scan, [&](bool failed) {
        EXPECT_EQ(listing.error, failed ? 8u : 0u);
        EXPECT_EQ(listing.count, failed ? 0 : 122);
        EXPECT_EQ(listing.records == nullptr, failed);
    });
    EXPECT_GE(failures, 5);
    EXPECT_EQ(listing.clusterSize, 4096u);      // Wine's C: reports 8 x 512 bytes
    for (LONG row = 0; row < listing.count; row++) {
        const CacheEntry* e = EntryAt(&listing, row);
        EXPECT_TRUE(strcmp(e->url, "http://example.com/dot.") || e->localFile == file) << e->localFile;
    }
    listing.clusterSize = 512;
    scan();
    EXPECT_EQ(listing.clusterSize, 512u);
    FreeListing(&listing);
}

// NTFS-like names ask the volume (512 when it cannot say), compressed volumes are 32 KiB, others are probed
// (without a free-space query, asked). The probe file C:\__tmp: a plausible size or 0, nothing left behind, a
// user's file of that name untouched.
TEST(ClusterSize, EachVolumeTakesItsRoadAndTheProbeTouchesNoUsersFile)
{
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "xTFS", 0, GetDiskFreeSpaceExA), 4096u);   // Wine's C: is 8 x 512
    EXPECT_EQ(ClusterSizeForVolume("Q:\\", "NTFS", 0, GetDiskFreeSpaceExA), 512u);    // no such drive
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "FAT32", FILE_VOLUME_IS_COMPRESSED, GetDiskFreeSpaceExA), 32768u);
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "FAT32", 0, nullptr), 4096u);

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

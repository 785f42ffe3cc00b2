#include <gtest/gtest.h>
#include "cache_scan.h"

namespace {

const char* PROBE = "C:\\__tmp";

struct ClusterFixture : ::testing::Test {
    void SetUp() override
    {
        DeleteFileA(PROBE);
    }
    void TearDown() override { DeleteFileA(PROBE); }
};

}  // namespace

TEST_F(ClusterFixture, EachKindOfVolumeTakesItsRoad)
{
    EXPECT_EQ(MeasureClusterSize('C', GetDiskFreeSpaceExA), 4096u);              // Wine reports NTFS, 8 x 512
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "xTFS", 0, GetDiskFreeSpaceExA), 4096u);
    EXPECT_EQ(ClusterSizeForVolume("Q:\\", "NTFS", 0, GetDiskFreeSpaceExA), 512u);  // no such drive: 512
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "FAT32", FILE_VOLUME_IS_COMPRESSED, GetDiskFreeSpaceExA), 32768u);
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "FAT32", 0, nullptr), 4096u);
    EXPECT_EQ(ClusterSizeForVolume("Q:\\", "FAT32", 0, nullptr), 0u);
    EXPECT_EQ(MeasureClusterSize('Q', nullptr), 0u);
}

TEST_F(ClusterFixture, ProbeGivesAPlausibleSizeOrZeroAndCleansUp)
{
    DWORD size = ClusterSizeForVolume("C:\\", "FAT32", 0, GetDiskFreeSpaceExA);
    EXPECT_TRUE(size == 0 || (size >= 512 && size <= 65536 && (size & (size - 1)) == 0)) << size;
    EXPECT_EQ(GetFileAttributesA(PROBE), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ClusterFixture, ProbeNeverTouchesAUsersFileOfTheSameName)
{
    HANDLE file = CreateFileA(PROBE, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(file, "mine", 4, &written, NULL);
    CloseHandle(file);
    EXPECT_EQ(ClusterSizeForVolume("C:\\", "FAT32", 0, GetDiskFreeSpaceExA), 0u);
    file = CreateFileA(PROBE, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char text[8] = "";
    DWORD read = 0;
    ReadFile(file, text, sizeof(text), &read, NULL);
    CloseHandle(file);
    EXPECT_EQ(std::string(text, read), "mine");
}

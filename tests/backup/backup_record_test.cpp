#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "backup_reader.h"
#include "backup_builder.h"
#include "heap.h"

namespace {

// A backup file opened for reading with its position at the first record.
struct OpenBackup {
    TempFile file{"brindlewick-record.cbf"};
    HANDLE handle = INVALID_HANDLE_VALUE;
    BackupRecordBuffer buffer = {};

    bool Open(const std::string& bytes)
    {
        if (!file.Write(bytes))
            return false;
        handle = CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        return handle != INVALID_HANDLE_VALUE && SetFilePointer(handle, 36, NULL, FILE_BEGIN) == 36;
    }
    LONGLONG Position()
    {
        LARGE_INTEGER zero, here;
        zero.QuadPart = 0;
        SetFilePointerEx(handle, zero, &here, FILE_CURRENT);
        return here.QuadPart;
    }
    ~OpenBackup()
    {
        ReleaseBackupRecordBuffer(&buffer);
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

BackupRecordSpec RecordOfLength(DWORD length)
{
    BackupRecordSpec record;
    record.url = std::string(length - 81, 'u');
    return record;
}

}  // namespace

TEST(BackupRecord, BufferGrowsOnlyForLongerRecords)
{
    struct Step { DWORD length; DWORD capacity; LONG requests; };
    const Step steps[] = {
        {100, 4096, 1}, {5000, 9096, 1}, {3000, 9096, 0}, {9096, 9096, 0}, {9097, 13193, 1},
    };
    BackupFileSpec spec;
    for (const Step& step : steps)
        spec.records.push_back(RecordOfLength(step.length));
    {
        OpenBackup backup;
        ASSERT_TRUE(backup.Open(BackupFileBytes(spec)));
        for (const Step& step : steps) {
            SCOPED_TRACE(step.length);
            ResetHeapRequestCount();
            ASSERT_EQ(ReadBackupRecord(&backup.buffer, backup.handle), 0u);
            EXPECT_EQ(backup.buffer.length, step.length);
            EXPECT_EQ(backup.buffer.capacity, step.capacity);
            EXPECT_EQ(HeapRequestCount(), step.requests);
            EXPECT_EQ(strlen(backup.buffer.url), step.length - 81);
        }
        EXPECT_EQ(ReadBackupRecord(&backup.buffer, backup.handle), 38u);
    }

    // A first record of exactly 4,096 bytes gets the record plus 4,096.
    OpenBackup exact;
    spec.records = {RecordOfLength(4096)};
    ASSERT_TRUE(exact.Open(BackupFileBytes(spec)));
    ASSERT_EQ(ReadBackupRecord(&exact.buffer, exact.handle), 0u);
    EXPECT_EQ(exact.buffer.capacity, 8192u);
}

TEST(BackupRecord, ImpossibleLengthsAreRefusedBeforeReadingOrAllocating)
{
    // Lengths below the fixed part would wrap (1 to 3) or keep stale fields (4 to
    // 79); lengths beyond the rest of the file would wrap the buffer size or ask
    // for memory the file cannot fill.
    const DWORD lengths[] = {1, 2, 3, 4, 79, 0x7FFFFFFF, 0x80000000, 0xFFFFEFFF, 0xFFFFF000, 0xFFFFFFFF};
    for (DWORD length : lengths) {
        SCOPED_TRACE(length);
        BackupRecordSpec record;
        record.length = length;
        record.extra = std::string(200, 'x');
        BackupFileSpec spec;
        spec.records = {record};
        OpenBackup backup;
        ASSERT_TRUE(backup.Open(BackupFileBytes(spec)));
        ResetHeapRequestCount();
        EXPECT_EQ(ReadBackupRecord(&backup.buffer, backup.handle), 13u);
        EXPECT_EQ(HeapRequestCount(), 0);
        EXPECT_EQ(backup.buffer.capacity, 0u);
        EXPECT_EQ(backup.Position(), 40);
    }
}

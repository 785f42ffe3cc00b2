// Every writer saves through the safe file: a failure leaves the old file as it was and no temporary file.
#include <gtest/gtest.h>
#include <functional>
#include "backup_builder.h"
#include "backup_writer.h"
#include "csv_export.h"
#include "listing_builder.h"
#include "safe_file.h"
#include "text_report.h"

namespace {

// A disk that fills up part-way, as Wine's does: the first call writes half of what it is given, the next fails.
int writeCalls = 0;
BOOL WINAPI FillUp(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (writeCalls++ == 0)
        return WriteFile(file, bytes, count / 2, written, overlapped);
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

}  // namespace

TEST(SafeSave, AFailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    TempFile target("brindlewick safe save.old");
    TestListing listing;
    AddEntry(listing.get(), "http://example.com/a", nullptr);
    BackupSaveOutcome outcome;
    const std::pair<const char*, std::function<DWORD()>> writers[] = {
        {"report", [&] { return ExportListingText(target.path.c_str(), listing.get()); }},
        {"csv", [&] { return ExportListingCsv(target.path.c_str(), listing.get()); }},
        {"backup", [&] { return SaveBackupFile(target.path.c_str(), listing.get(), nullptr, &outcome); }}};
    // The file held open by another program is held here: the system refuses every process alike. A target held
    // or read-only is refused before any work: every write would meet the full disk.
    for (const auto& writer : writers) {
        for (DWORD failure : {ERROR_DISK_FULL, ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED}) {
            SCOPED_TRACE(std::string(writer.first) + " failing with " + std::to_string(failure));
            ASSERT_TRUE(target.Write("old bytes"));
            writeCalls = 0;
            SafeFileWrite = FillUp;
            HANDLE holder = failure == ERROR_SHARING_VIOLATION
                                ? CreateFileA(target.path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
                                : INVALID_HANDLE_VALUE;
            if (failure == ERROR_ACCESS_DENIED)
                SetFileAttributesA(target.path.c_str(), FILE_ATTRIBUTE_READONLY);
            EXPECT_EQ(writer.second(), failure);
            SafeFileWrite = WriteFile;
            CloseHandle(holder);
            SetFileAttributesA(target.path.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_EQ(target.Read(), "old bytes");
            WIN32_FIND_DATAA found;
            EXPECT_EQ(FindFirstFileA((target.path + ".~*").c_str(), &found), INVALID_HANDLE_VALUE);   // no temporary file
        }
        EXPECT_EQ(writer.second(), 0u) << writer.first;
    }
}

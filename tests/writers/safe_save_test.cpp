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

// The names of the files in the target's folder that start with the target's name.
std::vector<std::string> FilesLike(const std::string& path)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((path + "*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &found))
        names.push_back(found.cFileName);
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    return names;
}

}  // namespace

TEST(SafeSave, AFailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    TempFile target("brindlewick safe save.old");
    TestListing listing;
    for (const char* url : {"http://example.com/a", "http://example.com/b"})
        AddEntry(listing.get(), url, nullptr);
    const char* captions[CSV_LIST_COLUMNS];
    std::fill(captions, captions + CSV_LIST_COLUMNS, "column");
    BackupSaveOutcome outcome;
    const std::pair<const char*, std::function<DWORD()>> writers[] = {
        {"report", [&] { return ExportListingText(target.path.c_str(), listing.get()); }},
        {"csv", [&] { return ExportListingCsv(target.path.c_str(), listing.get(), captions); }},
        {"backup", [&] { return SaveBackupFile(target.path.c_str(), listing.get(), nullptr, &outcome); }}};
    // The file held open by another program is held here: the system refuses every process alike.
    const struct { const char* name; DWORD code; } failures[] = {
        {"disk fills up", ERROR_DISK_FULL}, {"held open", ERROR_SHARING_VIOLATION}, {"read-only", ERROR_ACCESS_DENIED}};
    for (const auto& writer : writers) {
        for (const auto& failure : failures) {
            SCOPED_TRACE(std::string(writer.first) + ", " + failure.name);
            ASSERT_TRUE(target.Write("old bytes"));
            writeCalls = 0;
            SafeFileWrite = failure.code == ERROR_DISK_FULL ? FillUp : WriteFile;
            HANDLE holder = failure.code == ERROR_SHARING_VIOLATION
                                ? CreateFileA(target.path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL)
                                : INVALID_HANDLE_VALUE;
            if (failure.code == ERROR_ACCESS_DENIED)
                SetFileAttributesA(target.path.c_str(), FILE_ATTRIBUTE_READONLY);
            DWORD code = writer.second();
            SafeFileWrite = WriteFile;
            CloseHandle(holder);
            SetFileAttributesA(target.path.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_EQ(code, failure.code);
            EXPECT_EQ(target.Read(), "old bytes");
            EXPECT_EQ(FilesLike(target.path), std::vector<std::string>{"brindlewick safe save.old"});
        }
        EXPECT_EQ(writer.second(), 0u) << writer.first;
        EXPECT_NE(target.Read().find("example.com/b"), std::string::npos) << writer.first;
        EXPECT_EQ(FilesLike(target.path).size(), 1u) << writer.first;
    }
}

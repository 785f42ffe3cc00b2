// Building cache backup files of any shape for tests, and a temporary file helper.
#ifndef BRINDLEWICK_TEST_BACKUP_BUILDER_H
#define BRINDLEWICK_TEST_BACKUP_BUILDER_H

#include <windows.h>
#include <optional>
#include <string>
#include <vector>

// One record as it is written; a string left empty (nullopt) has its field 0.
struct BackupRecordSpec {
    std::optional<std::string> url = std::string("http://example.com/");
    std::optional<std::string> extension, header;
    DWORD type = 1, useCount = 0, hitRate = 0;
    std::optional<DWORD> sizeLow;   // default: the content's length
    DWORD sizeHigh = 0;
    FILETIME modified = {0, 0}, expire = {0, 0}, access = {0, 0}, sync = {0, 0};
    DWORD exemptDelta = 0;
    std::string extra;              // bytes after the strings, inside the record
    std::optional<DWORD> length;    // default: the true length of the record
    std::string content;            // written after the record
};

struct BackupFileSpec {
    std::string magic = std::string("QZTIFARCHIVE1", 14);
    WORD layout = 80;
    std::optional<DWORD> blockCount;    // default: blocks.size()
    std::vector<std::string> blocks;    // each padded or cut to 168 bytes
    std::vector<BackupRecordSpec> records;
    bool endMarker = true;              // the zero length after the last record
};

// The bytes of one record, its content included.
std::string RecordBytes(const BackupRecordSpec& record);
// The bytes of a whole file; `recordStarts` receives the offset of every record
// and, last, of the end marker.
std::string BackupFileBytes(const BackupFileSpec& file, std::vector<size_t>* recordStarts = nullptr);
// Overwrites a 32-bit little-endian field of a file image.
void PutDword(std::string& bytes, size_t offset, DWORD value);

// A file in the test prefix's temporary folder, deleted when the helper ends.
struct TempFile {
    std::string path;
    explicit TempFile(const char* name);
    ~TempFile() { DeleteFileA(path.c_str()); }
    bool Write(const std::string& bytes) const;
    std::string Read() const;
};

#endif

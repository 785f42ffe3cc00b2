#include "backup_builder.h"

static void AppendDword(std::string& bytes, DWORD value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes += (char)((value >> shift) & 0xFF);
}

static void AppendTime(std::string& bytes, const FILETIME& time)
{
    AppendDword(bytes, time.dwLowDateTime);
    AppendDword(bytes, time.dwHighDateTime);
}

void PutDword(std::string& bytes, size_t offset, DWORD value)
{
    for (int i = 0; i < 4; i++)
        bytes[offset + i] = (char)((value >> (8 * i)) & 0xFF);
}

std::string RecordBytes(const BackupRecordSpec& record)
{
    std::string strings;
    for (const std::optional<std::string>* text : {&record.url, &record.extension, &record.header})
        if (*text)
            strings += **text + '\0';
    strings += record.extra;

    std::string bytes;
    AppendDword(bytes, record.length.value_or((DWORD)(80 + strings.size())));
    AppendDword(bytes, record.url ? 0x1000 : 0);
    AppendDword(bytes, 0);                              // local file name: never read
    AppendDword(bytes, record.type);
    AppendDword(bytes, record.useCount);
    AppendDword(bytes, record.hitRate);
    AppendDword(bytes, record.sizeLow.value_or((DWORD)record.content.size()));
    AppendDword(bytes, record.sizeHigh);
    AppendTime(bytes, record.modified);
    AppendTime(bytes, record.expire);
    AppendTime(bytes, record.access);
    AppendTime(bytes, record.sync);
    AppendDword(bytes, record.header ? 0x2000 : 0);
    AppendDword(bytes, record.header ? (DWORD)record.header->size() + 1 : 0);
    AppendDword(bytes, record.extension ? 0x3000 : 0);
    AppendDword(bytes, record.exemptDelta);
    return bytes + strings + record.content;
}

std::string BackupFileBytes(const BackupFileSpec& file, std::vector<size_t>* recordStarts)
{
    std::string bytes = file.magic;
    bytes.resize(14, '\0');
    bytes += (char)(file.layout & 0xFF);
    bytes += (char)(file.layout >> 8);
    bytes.append(16, '\0');
    AppendDword(bytes, file.blockCount.value_or((DWORD)file.blocks.size()));
    for (std::string block : file.blocks) {
        block.resize(168, '\0');
        bytes += block;
    }
    if (recordStarts)
        recordStarts->clear();
    for (const BackupRecordSpec& record : file.records) {
        if (recordStarts)
            recordStarts->push_back(bytes.size());
        bytes += RecordBytes(record);
    }
    if (recordStarts)
        recordStarts->push_back(bytes.size());
    if (file.endMarker)
        AppendDword(bytes, 0);
    return bytes;
}

TempFile::TempFile(const char* name)
{
    char folder[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, folder);
    path = std::string(folder, length) + name;
}

TempFile::~TempFile()
{
    DeleteFileA(path.c_str());
}

bool TempFile::Write(const std::string& bytes) const
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string TempFile::Read() const
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

#include <fstream>
#include <iterator>
#include "backup_builder.h"

static void Append(std::string& bytes, std::initializer_list<DWORD> values)
{
    for (DWORD value : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes += (char)(value >> shift);
}

void PutDword(std::string& bytes, size_t offset, DWORD value)
{
    for (int i = 0; i < 4; i++)
        bytes[offset + i] = (char)(value >> (8 * i));
}

std::string RecordBytes(const BackupRecordSpec& r)
{
    std::string strings;
    for (const std::optional<std::string>* text : {&r.url, &r.extension, &r.header})
        if (*text)
            strings += **text + '\0';
    strings += r.extra;

    std::string bytes;
    // The second zero stands for the local file name, which is never read.
    Append(bytes, {r.length.value_or((DWORD)(80 + strings.size())), r.url ? 0x1000u : 0u, 0, r.type, r.useCount,
                   r.hitRate, r.sizeLow.value_or((DWORD)r.content.size()), r.sizeHigh});
    for (const FILETIME* time : {&r.modified, &r.expire, &r.access, &r.sync})
        Append(bytes, {time->dwLowDateTime, time->dwHighDateTime});
    Append(bytes, {r.header ? 0x2000u : 0u, r.header ? (DWORD)r.header->size() + 1 : 0u, r.extension ? 0x3000u : 0u,
                   r.exemptDelta});
    return bytes + strings + r.content;
}

std::string BackupFileBytes(const BackupFileSpec& file, std::vector<size_t>* recordStarts)
{
    std::string bytes = (file.magic + std::string(14, '\0')).substr(0, 14);
    bytes += {(char)file.layout, (char)(file.layout >> 8)};
    bytes.append(16, '\0');
    Append(bytes, {file.blockCount.value_or((DWORD)file.blocks.size())});
    for (const std::string& block : file.blocks)
        bytes += (block + std::string(168, '\0')).substr(0, 168);
    std::vector<size_t> starts;
    for (const BackupRecordSpec& record : file.records) {
        starts.push_back(bytes.size());
        bytes += RecordBytes(record);
    }
    starts.push_back(bytes.size());
    if (recordStarts)
        *recordStarts = starts;
    if (file.endMarker)
        Append(bytes, {0});
    return bytes;
}

TempFile::TempFile(const char* name)
{
    char folder[MAX_PATH];
    path = std::string(folder, GetTempPathA(MAX_PATH, folder)) + name;
}

bool TempFile::Write(const std::string& bytes) const
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file.write(bytes.data(), bytes.size()).flush().good();
}

std::string TempFile::Read() const
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Reading one record of a cache backup file into the growing record buffer, from
// the file or from a read-ahead block over it.
#include <string.h>
#include "backup_reader.h"
#include "heap.h"
#include "safe_file.h"

// The buffer holds 4,096 bytes, or the record plus that much for a longer record.
static const DWORD BUFFER_ROOM = 4096;
// Larger buffers are never asked for; the heap of a 32-bit process could not give them.
static const ULONGLONG BUFFER_LIMIT = 0x7FFF0000;

DWORD OpenBackupSource(BackupSource* source, HANDLE file, BYTE* block, DWORD capacity)
{
    ZeroMemory(source, sizeof *source);
    source->file = file;
    source->block = block;
    source->blockCapacity = block ? capacity : 0;
    LARGE_INTEGER size, position, here;
    here.QuadPart = 0;
    if (!GetFileSizeEx(file, &size) || !SetFilePointerEx(file, here, &position, FILE_CURRENT))
        return FailedCallCode(ERROR_SEEK);
    source->size = (ULONGLONG)size.QuadPart;
    source->position = source->filePointer = (ULONGLONG)position.QuadPart;
    return 0;
}

// Bytes between the position and the end of the file.
static ULONGLONG BytesAhead(const BackupSource* source)
{
    return source->position < source->size ? source->size - source->position : 0;
}

// Puts the system's file pointer at the source's position.
static DWORD SeekToPosition(BackupSource* source)
{
    if (source->filePointer == source->position)
        return 0;
    LARGE_INTEGER target;
    target.QuadPart = (LONGLONG)source->position;
    if (!SetFilePointerEx(source->file, target, NULL, FILE_BEGIN))
        return FailedCallCode(ERROR_SEEK);
    source->filePointer = source->position;
    return 0;
}

// Reads up to `bytes` bytes straight from the file; `got` says how many came, fewer
// at the end of the file. Gives 0 or the system's code.
static DWORD ReadFromFile(BackupSource* source, BYTE* target, DWORD bytes, DWORD* got)
{
    DWORD code = SeekToPosition(source);
    if (code != 0)
        return code;
    *got = 0;
    if (!ReadFile(source->file, target, bytes, got, NULL))
        return FailedCallCode(ERROR_READ_FAULT);
    source->filePointer += *got;
    return 0;
}

// Refills the block from the position on: 0 or the system's code.
static DWORD FillBlock(BackupSource* source)
{
    source->blockStart = source->position;
    source->blockBytes = 0;
    return ReadFromFile(source, source->block, source->blockCapacity, &source->blockBytes);
}

// Bytes of the block from the position on; 0 when the block does not hold it.
static DWORD BlockBytesAhead(const BackupSource* source)
{
    if (source->position < source->blockStart || source->position >= source->blockStart + source->blockBytes)
        return 0;
    return source->blockBytes - (DWORD)(source->position - source->blockStart);
}

// Reads exactly `bytes` bytes: 0, 13 when the file ends first, or the system's code.
// Every round takes some bytes or ends the read.
static DWORD SourceRead(BackupSource* source, void* target, DWORD bytes)
{
    BYTE* out = (BYTE*)target;
    while (bytes > 0) {
        DWORD part = 0, code;
        if (source->block && bytes < source->blockCapacity) {
            // Small reads come from the block, filled afresh from the position when needed.
            if (BlockBytesAhead(source) == 0 && (code = FillBlock(source)) != 0)
                return code;
            DWORD ahead = BlockBytesAhead(source);
            part = ahead < bytes ? ahead : bytes;
            if (part)
                memcpy(out, source->block + (source->position - source->blockStart), part);
        } else if ((code = ReadFromFile(source, out, bytes, &part)) != 0) {
            return code;
        }
        if (part == 0)
            return ERROR_CODE_INVALID_DATA;
        out += part;
        bytes -= part;
        source->position += part;
    }
    return 0;
}

DWORD SkipSourceBytes(BackupSource* source, ULONGLONG distance)
{
    if (distance > BytesAhead(source))
        return ERROR_CODE_INVALID_DATA;
    source->position += distance;
    // Without a block the file pointer follows at once, as a direct caller expects.
    return source->block ? 0 : SeekToPosition(source);
}

DWORD SkipBackupBytes(HANDLE file, ULONGLONG distance)
{
    BackupSource source;
    DWORD code = OpenBackupSource(&source, file, NULL, 0);
    return code != 0 ? code : SkipSourceBytes(&source, distance);
}

DWORD RecordDword(const BackupRecordBuffer* buffer, DWORD offset)
{
    const BYTE* field = buffer->bytes + offset;
    return field[0] | (field[1] << 8) | (field[2] << 16) | ((DWORD)field[3] << 24);
}

void ReleaseBackupRecordBuffer(BackupRecordBuffer* buffer)
{
    HeapRelease(buffer->bytes);
    buffer->bytes = NULL;
    buffer->capacity = 0;
}

// Makes room for a record of `length` bytes; the old contents are not kept. 0 or 8.
static DWORD GrowBuffer(BackupRecordBuffer* buffer, DWORD length)
{
    if (length <= buffer->capacity)
        return 0;
    ULONGLONG capacity = length < BUFFER_ROOM ? BUFFER_ROOM : (ULONGLONG)length + BUFFER_ROOM;
    if (capacity > BUFFER_LIMIT)
        return ERROR_CODE_OUT_OF_MEMORY;
    ReleaseBackupRecordBuffer(buffer);
    buffer->bytes = (BYTE*)HeapGet((DWORD)capacity);
    if (!buffer->bytes)
        return ERROR_CODE_OUT_OF_MEMORY;
    buffer->capacity = (DWORD)capacity;
    return 0;
}

// The string at *position when `present`, else null; the position moves past its
// NUL. A string whose NUL is not inside the record gives 13.
static DWORD TakeString(const BackupRecordBuffer* buffer, BOOL present, DWORD* position, const char** text,
                        DWORD* length)
{
    *text = NULL;
    if (!present)
        return 0;
    const char* start = (const char*)buffer->bytes + *position;
    DWORD room = buffer->length - *position;
    DWORD measured = (DWORD)strnlen(start, room);
    if (measured == room)
        return ERROR_CODE_INVALID_DATA;
    *text = start;
    if (length)
        *length = measured;
    *position += measured + 1;
    return 0;
}

// Finds the URL, extension and header text packed after the fixed part.
static DWORD LocateStrings(BackupRecordBuffer* buffer)
{
    DWORD position = RECORD_FIXED_PART;
    buffer->headerLength = 0;
    DWORD code = TakeString(buffer, RecordDword(buffer, RECORD_URL) != 0, &position, &buffer->url, NULL);
    if (code == 0)
        code = TakeString(buffer, RecordDword(buffer, RECORD_EXTENSION) != 0, &position, &buffer->extension, NULL);
    if (code == 0)
        code = TakeString(buffer, RecordDword(buffer, RECORD_HEADER) != 0, &position, &buffer->header,
                          &buffer->headerLength);
    // Every entry of a listing that came from a backup file is known by its URL.
    if (code == 0 && !buffer->url)
        code = ERROR_CODE_INVALID_DATA;
    return code;
}

DWORD ReadBackupRecordFrom(BackupRecordBuffer* buffer, BackupSource* source)
{
    buffer->url = buffer->extension = buffer->header = NULL;
    buffer->headerLength = 0;
    buffer->length = 0;

    BYTE field[4];
    DWORD code = SourceRead(source, field, sizeof field);
    if (code != 0)
        return code;
    DWORD length = field[0] | (field[1] << 8) | (field[2] << 16) | ((DWORD)field[3] << 24);
    if (length == 0)
        return ERROR_CODE_END_OF_FILE;
    // Shorter than the fixed part, the read below would wrap or leave the previous
    // record's fields in place; longer than the rest of the file, it could never be
    // filled, and growing the buffer for it could wrap or exhaust the heap.
    if (length < RECORD_FIXED_PART || length - 4 > BytesAhead(source))
        return ERROR_CODE_INVALID_DATA;

    if ((code = GrowBuffer(buffer, length)) != 0)
        return code;
    if ((code = SourceRead(source, buffer->bytes + 4, length - 4)) != 0)
        return code;
    buffer->length = length;
    return LocateStrings(buffer);
}

DWORD ReadBackupRecord(BackupRecordBuffer* buffer, HANDLE file)
{
    BackupSource source;
    DWORD code = OpenBackupSource(&source, file, NULL, 0);
    return code != 0 ? code : ReadBackupRecordFrom(buffer, &source);
}

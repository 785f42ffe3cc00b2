#include <string.h>
#include "archive_time.h"
#include "backup_reader.h"
#include "safe_file.h"

static const DWORD TIME_OFFSET = ARCHIVE_TIME_OFFSET + sizeof ARCHIVE_TIME_TAG;

void StampArchiveTime(BYTE* header, const FILETIME* utc)
{
    memcpy(header + ARCHIVE_TIME_OFFSET, ARCHIVE_TIME_TAG, sizeof ARCHIVE_TIME_TAG);
    for (int i = 0; i < 4; i++) {
        header[TIME_OFFSET + i] = (BYTE)(utc->dwLowDateTime >> (8 * i));
        header[TIME_OFFSET + 4 + i] = (BYTE)(utc->dwHighDateTime >> (8 * i));
    }
}

DWORD ReadArchiveTime(const char* path, FILETIME* utc)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FailedCallCode(ERROR_FILE_NOT_FOUND);
    BYTE header[BACKUP_HEADER_BYTES];
    DWORD got = 0, code = 0;
    if (ReadFile(file, header, sizeof header, &got, NULL) && got == sizeof header &&
        memcmp(header + ARCHIVE_TIME_OFFSET, ARCHIVE_TIME_TAG, sizeof ARCHIVE_TIME_TAG) == 0) {
        utc->dwLowDateTime = utc->dwHighDateTime = 0;
        for (int i = 3; i >= 0; i--) {
            utc->dwLowDateTime = (utc->dwLowDateTime << 8) | header[TIME_OFFSET + i];
            utc->dwHighDateTime = (utc->dwHighDateTime << 8) | header[TIME_OFFSET + 4 + i];
        }
    } else if (!GetFileTime(file, NULL, NULL, utc)) {
        code = FailedCallCode(ERROR_INVALID_DATA);
    }
    CloseHandle(file);
    return code;
}

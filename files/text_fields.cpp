#include "text_fields.h"
#include "entry_time.h"
#include "heap.h"
#include "listing.h"

void PutAnsiAsUtf8(SafeFile* file, const char* text, PutUtf8Bytes put)
{
    DWORD length = (DWORD)lstrlenA(text), ascii = 0;
    while (ascii < length && (BYTE)text[ascii] < 0x80)
        ascii++;
    if (ascii == length) {
        put(file, text, length);
        return;
    }
    // An ANSI byte gives at most one UTF-16 unit, a unit at most three UTF-8 bytes.
    WCHAR* wide = (WCHAR*)HeapGet(length * 5);
    if (!wide) {
        if (file->error == 0)
            file->error = ERROR_CODE_OUT_OF_MEMORY;
        return;
    }
    char* utf8 = (char*)(wide + length);
    int units = MultiByteToWideChar(CP_ACP, 0, text, (int)length, wide, (int)length);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, (int)length * 3, NULL, NULL);
    put(file, utf8, (DWORD)bytes);
    HeapRelease(wide);
}

static char* PutIsoTime(char* out, const SYSTEMTIME& parts)
{
    out = PutDecimal(out, parts.wYear, 4);
    *out++ = '-';
    out = PutDecimal(out, parts.wMonth, 2);
    *out++ = '-';
    out = PutDecimal(out, parts.wDay, 2);
    *out++ = 'T';
    out = PutDecimal(out, parts.wHour, 2);
    *out++ = ':';
    out = PutDecimal(out, parts.wMinute, 2);
    *out++ = ':';
    return PutDecimal(out, parts.wSecond, 2);
}

char* PutUtcText(char* out, const FILETIME* utc)
{
    SYSTEMTIME parts;
    if ((utc->dwLowDateTime == 0 && utc->dwHighDateTime == 0) || !FileTimeToSystemTime(utc, &parts))
        return out;
    out = PutIsoTime(out, parts);
    *out++ = 'Z';
    return out;
}

char* PutZoneText(char* out, const FILETIME* utc)
{
    SYSTEMTIME parts;
    LONG minutes;
    if (!ZoneTimeOfDate(utc, &parts, &minutes))
        return out;
    out = PutIsoTime(out, parts);
    *out++ = minutes < 0 ? '-' : '+';
    if (minutes < 0)
        minutes = -minutes;
    out = PutDecimal(out, (unsigned)(minutes / 60), 2);
    *out++ = ':';
    return PutDecimal(out, (unsigned)(minutes % 60), 2);
}

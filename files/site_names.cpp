#include "site_names.h"

// The longest folder path CreateDirectoryA takes: MAX_PATH less room for an 8.3
// name and the NUL.
static const int FOLDER_PATH_LIMIT = MAX_PATH - 12 - 1;
static const int PART_LIMIT = 255;          // characters of one part (NTFS)
static const int HOST_LIMIT = 63;           // as a DNS label
static const int EXTENSION_LIMIT = 16;      // a longer "extension" stays part of the name
static const int QUERY_TEXT_LIMIT = 16;
static const int QUERY_HEAD = 8;            // of a longer query, before its hash
static const int HASH_TEXT = 9;             // '~' and eight hex digits
// Room of a part being cleaned; a longer one is cut (it cannot fit whole anyway).
static const int PART_BYTES = 1024;

static DWORD TextHash(const char* text, int length)
{
    DWORD hash = 2166136261u;
    for (int i = 0; i < length; i++)
        hash = (hash ^ (BYTE)text[i]) * 16777619u;
    return hash;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

static BOOL IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

static BOOL IsForbidden(char c)
{
    for (const char* forbidden = "<>:\"/\\|?*"; *forbidden; forbidden++)
        if (c == *forbidden)
            return TRUE;
    return (BYTE)c < 0x20;
}

static int WithoutTrailingDots(const char* text, int length)
{
    while (length > 0 && (text[length - 1] == '.' || text[length - 1] == ' '))
        length--;
    return length;
}

// `from` (`length` characters) as a legal name into `out` (PART_BYTES): escapes of
// printable ASCII decoded, forbidden characters as '_', no trailing dots and
// blanks. Gives its length; sets `cut` when it did not fit whole.
static int CleanPart(const char* from, int length, char* out, BOOL* cut)
{
    int used = 0;
    for (int i = 0; i < length; i++) {
        char c = from[i];
        if (c == '%' && i + 2 < length && HexDigit(from[i + 1]) >= 0 && HexDigit(from[i + 2]) >= 0) {
            int value = HexDigit(from[i + 1]) * 16 + HexDigit(from[i + 2]);
            if (value >= 0x20 && value < 0x7F) {
                c = (char)value;
                i += 2;
            }
        }
        if (used == PART_BYTES - 2) {   // room kept for a device's '_' and the NUL
            *cut = TRUE;
            break;
        }
        out[used++] = IsForbidden(c) ? '_' : c;
    }
    return WithoutTrailingDots(out, used);
}

// Whether the letters of `text` (`length` of them) are `upper` in any case.
static BOOL SameLetters(const char* text, int length, const char* upper)
{
    int i = 0;
    for (; i < length && upper[i]; i++) {
        char c = text[i] >= 'a' && text[i] <= 'z' ? (char)(text[i] - 32) : text[i];
        if (c != upper[i])
            return FALSE;
    }
    return i == length && !upper[i];
}

// Whether the system takes the part for a device: its name before the first dot,
// without trailing blanks, is one, whatever the extension.
static BOOL IsDeviceName(const char* part, int length)
{
    int base = 0;
    while (base < length && part[base] != '.')
        base++;
    while (base > 0 && part[base - 1] == ' ')
        base--;
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : devices)
        if (SameLetters(part, base, device))
            return TRUE;
    if (base != 4 || !(SameLetters(part, 3, "COM") || SameLetters(part, 3, "LPT")))
        return FALSE;
    BYTE digit = (BYTE)part[3];     // superscript 1, 2 and 3 count too
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// A device's part gets a leading '_'; gives the length. `part` has room for it.
static int EscapeDevice(char* part, int length)
{
    if (!IsDeviceName(part, length))
        return length;
    MoveMemory(part + 1, part, length);
    part[0] = '_';
    return length + 1;
}

// A letter, or after the first also a digit, '+', '-' or '.'.
static BOOL IsSchemeCharacter(char c, BOOL first)
{
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
        return TRUE;
    return !first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.');
}

// Where the host starts after "scheme://", or null for a URL without "//"; `end`
// gets where host and port end and the path starts.
static const char* FindHost(const char* url, const char** end)
{
    const char* at = url;
    const char* scan = url;
    while (IsSchemeCharacter(*scan, scan == url))
        scan++;
    if (scan > url && *scan == ':')
        at = scan + 1;
    *end = at;
    if (!IsSeparator(at[0]) || !IsSeparator(at[1]))
        return NULL;
    const char* host = at + 2;
    for (at = host; *at && !IsSeparator(*at) && *at != '?' && *at != '#'; at++)
        if (*at == '@')
            host = at + 1;  // after "user:password@"
    *end = at;
    return host;
}

// The host in lower case, without its port, at most `limit` characters, into
// `out` (PART_BYTES); "_other" when there is none. Gives its length.
static int HostPart(const char* url, int limit, char* out, const char** pathStart)
{
    const char* host = FindHost(url, pathStart);
    int length = 0;
    if (host) {
        BOOL bracket = host[0] == '[';  // an IPv6 address: its colons are not the port's
        for (; host + length < *pathStart && (host[length] != ':' || bracket); length++)
            bracket = bracket && host[length] != ']';
        BOOL cut = FALSE;
        length = CleanPart(host, length, out, &cut);
    }
    if (length > limit)
        length = WithoutTrailingDots(out, limit);
    for (int i = 0; i < length; i++)
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] += 32;
    if (length == 0) {
        lstrcpyA(out, "_other");
        return 6;
    }
    return EscapeDevice(out, length);
}

// The query (`length` characters) kept as a suffix: '_' and its text, dots and
// blanks as '_', or for a long one its head, '~' and a hash. Gives its length.
static int QuerySuffix(const char* query, int length, char* out)
{
    if (length == 0)
        return 0;
    int kept = length <= QUERY_TEXT_LIMIT ? length : QUERY_HEAD;
    out[0] = '_';
    for (int i = 0; i < kept; i++)
        out[1 + i] = IsForbidden(query[i]) || query[i] == '.' || query[i] == ' ' ? '_' : query[i];
    if (kept == length)
        return 1 + kept;
    return 1 + kept + wsprintfA(out + 1 + kept, "~%08lx", TextHash(query, length));
}

// The extension of the local file, dot included, into `out`; gives its length.
static int LocalExtension(const char* localFile, char* out)
{
    const char* name = localFile ? localFile : "";
    for (const char* at = name; *at; at++)
        if (IsSeparator(*at))
            name = at + 1;
    const char* dot = NULL;
    for (const char* at = name + 1; *name && *at; at++)
        if (*at == '.')
            dot = at;
    BOOL cut = FALSE;
    int length = dot && lstrlenA(dot) <= EXTENSION_LIMIT ? CleanPart(dot, lstrlenA(dot), out, &cut) : 0;
    return length > 1 ? length : 0;
}

int MakeSiteName(const char* url, const char* localFile, int baseLength, char* name)
{
    int room = MAX_PATH - 1 - SITE_NUMBER_ROOM - baseLength;     // for the whole relative path
    int folderRoom = FOLDER_PATH_LIMIT - baseLength;             // for its folders
    const char* path;
    char host[PART_BYTES];
    int length = HostPart(url, HOST_LIMIT, host, &path);
    const char* pathEnd = path;
    while (*pathEnd && *pathEnd != '?' && *pathEnd != '#')
        pathEnd++;
    const char* query = *pathEnd == '?' ? pathEnd + 1 : pathEnd;
    int queryLength = 0;
    while (query[queryLength] && query[queryLength] != '#')
        queryLength++;
    const char* last = pathEnd;     // the name's text
    while (last > path && !IsSeparator(last[-1]))
        last--;

    // The name as stem, query suffix and extension.
    char stem[PART_BYTES + HASH_TEXT], suffix[32], extension[PART_BYTES];
    BOOL cut = FALSE;
    int stemLength = CleanPart(last, (int)(pathEnd - last), stem, &cut), extensionLength = 0;
    if (stemLength == 0) {
        stemLength = wsprintfA(stem, "index");
        extensionLength = LocalExtension(localFile, extension);
    } else {
        int dot = stemLength - 1;
        while (dot > 0 && stem[dot] != '.')
            dot--;
        if (dot > 0 && stemLength - dot <= EXTENSION_LIMIT) {
            extensionLength = stemLength - dot;
            CopyMemory(extension, stem + dot, extensionLength);
            stemLength = dot;
        }
    }
    int suffixLength = QuerySuffix(query, queryLength, suffix);
    // The shortest name: the hash, the suffix, the extension and a device's '_'.
    int shortest = HASH_TEXT + suffixLength + extensionLength + 1;
    if (length > folderRoom || length + 1 + shortest > room) {
        length = WithoutTrailingDots(host, (folderRoom < room - 1 - shortest ? folderRoom : room - 1 - shortest) - 1);
        if (length <= 0)
            return 0;
        length = EscapeDevice(host, length);
    }
    CopyMemory(name, host, length);

    // The folders, as long as they fit with the shortest name after them.
    BOOL shortened = cut;
    for (const char* at = path; at < last && !shortened;) {
        const char* start = at;
        while (!IsSeparator(*at))
            at++;
        char part[PART_BYTES];
        int partLength = CleanPart(start, (int)(at++ - start), part, &shortened);
        if (partLength == 0)
            continue;
        partLength = EscapeDevice(part, partLength);
        if (length + 1 + partLength > folderRoom || length + 1 + partLength + 1 + shortest > room) {
            shortened = TRUE;
            break;
        }
        name[length++] = '\\';
        CopyMemory(name + length, part, partLength);
        length += partLength;
    }

    // The name, cut and marked with the URL's hash when it does not fit whole.
    int nameRoom = room - length - 1 - 1;
    if (nameRoom > PART_LIMIT - 1)
        nameRoom = PART_LIMIT - 1;
    if (shortened || stemLength + suffixLength + extensionLength > nameRoom) {
        int kept = nameRoom - HASH_TEXT - suffixLength - extensionLength;
        stemLength = (stemLength < kept ? stemLength : kept) +
                     wsprintfA(stem + (stemLength < kept ? stemLength : kept), "~%08lx", TextHash(url, lstrlenA(url)));
    }
    name[length++] = '\\';
    char* part = name + length;
    CopyMemory(part, stem, stemLength);
    CopyMemory(part + stemLength, suffix, suffixLength);
    CopyMemory(part + stemLength + suffixLength, extension, extensionLength);
    length += EscapeDevice(part, stemLength + suffixLength + extensionLength);
    name[length] = '\0';
    return length;
}

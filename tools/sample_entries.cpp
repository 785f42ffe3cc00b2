#include "sample_entries.h"
#include <stdio.h>
#include "cache_seed.h"

namespace {

const char* const HostPrefixes[] = {"www", "static", "img", "cdn", "news", "shop", "media", "ads", "api", "s1"};
const char* const HostWords[] = {
    "acme", "bluefin", "corvid", "delta", "ember", "fjord", "gable", "harbor", "indigo", "juniper",
    "kestrel", "lumen", "maple", "nimbus", "orchid", "pioneer", "quartz", "raven", "summit", "tundra",
    "umber", "vertex", "willow", "xenon", "yarrow", "zephyr", "atlas", "beacon", "cobalt", "drift",
};
const char* const Domains[] = {"com", "net", "org", "co.uk", "de"};
const int HOSTS = 300;

const char* const PathWords[] = {
    "images", "img", "static", "scripts", "js", "css", "styles", "media", "news", "2005", "2006", "archive",
    "en-us", "en", "de", "products", "catalog", "item", "gallery", "photos", "thumbs", "v2", "v3", "assets",
    "content", "articles", "blog", "forum", "topic", "user", "profile", "search", "weather", "maps", "tiles",
    "sport", "world", "business", "tech", "video", "ads", "banners", "common", "shared", "lib", "include",
};
const char* const FileWords[] = {
    "index", "default", "logo", "banner", "header", "footer", "menu", "article", "photo", "thumb", "main",
    "common", "print", "search", "products", "gallery", "news", "spacer", "button", "arrow", "background",
    "sidebar", "story", "weekly", "archive", "contact", "tracker", "pixel", "counter", "widget", "jquery",
    "style", "layout", "nav", "icon", "sprite", "ad", "show", "view", "detail", "image", "home",
};

struct Kind {
    const char* extension;
    const char* contentType;
    DWORD minSize;
    DWORD maxSize;
};
const Kind Kinds[] = {
    {"htm", "text/html", 2000, 60000},
    {"html", "text/html; charset=iso-8859-1", 1500, 40000},
    {"gif", "image/gif", 43, 12000},
    {"jpg", "image/jpeg", 3000, 90000},
    {"png", "image/png", 400, 30000},
    {"js", "application/x-javascript", 800, 120000},
    {"css", "text/css", 600, 25000},
    {"asp", "text/html", 1000, 30000},
};

const char* const Servers[] = {"Apache/2.0.52 (Unix)", "Microsoft-IIS/6.0", "nginx/0.6.32", "lighttpd/1.4.19"};
const char* const ExtraHeaders[] = {
    "X-Powered-By: ASP.NET",
    "P3P: CP=\"NOI DSP COR NID CUR ADM DEV OUR BUS\"",
    "Vary: Accept-Encoding",
    "Accept-Ranges: bytes",
    "Pragma: no-cache",
    "Set-Cookie: session=0123456789abcdef0123456789abcdef; path=/",
    "Via: 1.1 proxy.example.net (squid/2.6.STABLE5)",
    "X-Cache: HIT from cache-3.example.net",
    "Connection: keep-alive",
    "Keep-Alive: timeout=15, max=100",
};

template <typename T, size_t N> DWORD CountOf(T (&)[N]) { return (DWORD)N; }

const char Alphanumerics[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
const char Lower[] = "abcdefghijklmnopqrstuvwxyz0123456789";

std::string RandomText(EntryMaker* maker, const char* alphabet, DWORD alphabetSize, int length)
{
    std::string text;
    for (int i = 0; i < length; i++)
        text += alphabet[Pick(maker, alphabetSize)];
    return text;
}

std::string Host(EntryMaker* maker)
{
    // A few hundred hosts, some far busier than others.
    DWORD index = Pick(maker, 4) == 0 ? Pick(maker, 12) : Pick(maker, HOSTS);
    DWORD words = CountOf(HostWords);
    return std::string(HostPrefixes[index % CountOf(HostPrefixes)]) + "." + HostWords[index % words] +
           HostWords[(index / words + 7 * index) % words] + "." + Domains[index % CountOf(Domains)];
}

std::string QueryString(EntryMaker* maker)
{
    DWORD roll = Pick(maker, 100);
    if (roll < 70)
        return "";
    // Now and then a long tracking query.
    int parameters = roll < 95 ? 1 + (int)Pick(maker, 3) : 5 + (int)Pick(maker, 10);
    std::string query = "?";
    for (int i = 0; i < parameters; i++) {
        if (i)
            query += "&";
        query += RandomText(maker, Lower, 26, 2 + (int)Pick(maker, 6)) + "=" +
                 RandomText(maker, Lower, 36, 1 + (int)Pick(maker, roll < 95 ? 12 : 40));
    }
    return query;
}

std::string HttpDate(FILETIME time)
{
    static const char* const Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    SYSTEMTIME parts;
    FileTimeToSystemTime(&time, &parts);
    char text[64];
    snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", Days[parts.wDayOfWeek], parts.wDay,
             Months[parts.wMonth - 1], parts.wYear, parts.wHour, parts.wMinute, parts.wSecond);
    return text;
}

// A response header of 100 to 400 characters, lines ending in CR LF.
std::string Header(EntryMaker* maker, const Kind& kind, DWORD size, FILETIME modified, FILETIME access)
{
    size_t length = 100 + Pick(maker, 301);
    char line[128];
    std::string header = "HTTP/1.1 200 OK\r\n";
    header += std::string("Content-Type: ") + kind.contentType + "\r\n";
    snprintf(line, sizeof line, "Content-Length: %lu\r\n", (unsigned long)size);
    header += line;
    header += "Date: " + HttpDate(access) + "\r\n";
    header += std::string("Server: ") + Servers[Pick(maker, CountOf(Servers))] + "\r\n";
    if (header.size() < length)
        header += "Last-Modified: " + HttpDate(modified) + "\r\n";
    if (header.size() < length)
        header += "ETag: \"" + RandomText(maker, Lower, 16, 8) + "-" + RandomText(maker, Lower, 16, 4) + "\"\r\n";
    if (header.size() < length) {
        snprintf(line, sizeof line, "Cache-Control: max-age=%lu\r\n", (unsigned long)(60 * Pick(maker, 100000)));
        header += line;
    }
    while (header.size() < length)
        header += std::string(ExtraHeaders[Pick(maker, CountOf(ExtraHeaders))]) + "\r\n";
    header.resize(length - 2);
    return header + "\r\n";
}

// 2005-03-07 09:05:07 UTC, the newest time of the made-up cache.
FILETIME Newest()
{
    SYSTEMTIME parts = {2005, 3, 1, 7, 9, 5, 7, 0};
    FILETIME time;
    SystemTimeToFileTime(&parts, &time);
    return time;
}

EntrySpec Cookie(EntryMaker* maker)
{
    EntrySpec entry;
    std::string host = Host(maker);
    std::string site = host.substr(host.find('.') + 1);
    std::string path = Pick(maker, 3) == 0 ? std::string(PathWords[Pick(maker, CountOf(PathWords))]) + "/" : "";
    entry.url = "Cookie:user@" + site + "/" + path;
    entry.fileName = "user@" + site;
    entry.extension = "txt";
    entry.folder = -1;
    int& used = maker->names["cookie\\" + entry.fileName];
    used++;
    entry.localFile = maker->cookieFolder + entry.fileName + "[" + std::to_string(used) + "].txt";
    entry.typeFlags = COOKIE_TYPE;
    entry.size = 60 + Pick(maker, 400);
    entry.hitRate = 1 + Pick(maker, 30);
    entry.useCount = 0;
    entry.lastAccess = AddSeconds(Newest(), -(LONGLONG)Pick(maker, 86400 * 60));
    entry.lastModified = entry.lastAccess;
    entry.lastSync = entry.lastAccess;
    entry.expireTime = AddSeconds(entry.lastAccess, 86400LL * (30 + Pick(maker, 3000)));
    return entry;
}

EntrySpec Content(EntryMaker* maker)
{
    EntrySpec entry;
    const Kind& kind = Kinds[Pick(maker, CountOf(Kinds))];
    std::string url = "http://" + Host(maker) + "/";
    int depth = (int)Pick(maker, 5);
    for (int i = 0; i < depth; i++)
        url += std::string(PathWords[Pick(maker, CountOf(PathWords))]) + "/";
    entry.fileName = FileWords[Pick(maker, CountOf(FileWords))];
    if (Pick(maker, 2))
        entry.fileName += std::to_string(Pick(maker, Pick(maker, 2) ? 100 : 100000));
    entry.extension = kind.extension;
    url += entry.fileName + "." + entry.extension + QueryString(maker);
    entry.url = url;
    NewLocalFile(maker, &entry);

    entry.typeFlags = NORMAL_TYPE;
    entry.size = kind.minSize + Pick(maker, kind.maxSize - kind.minSize);
    entry.hitRate = 1 + Pick(maker, Pick(maker, 4) ? 4 : 60);
    entry.useCount = Pick(maker, 10) == 0 ? 1 : 0;
    entry.exemptDelta = Pick(maker, 50) == 0 ? 86400 * (1 + Pick(maker, 30)) : 0;
    entry.lastAccess = AddSeconds(Newest(), -(LONGLONG)Pick(maker, 86400 * 60));
    if (Pick(maker, 20))
        entry.lastModified = AddSeconds(entry.lastAccess, -(LONGLONG)Pick(maker, 86400 * 400));
    entry.lastSync = AddSeconds(entry.lastAccess, -(LONGLONG)Pick(maker, 36000));
    if (Pick(maker, 3) == 0)
        entry.expireTime = AddSeconds(entry.lastAccess, 86400LL * (1 + Pick(maker, 3650)));
    entry.header = Header(maker, kind, entry.size, entry.lastModified, entry.lastAccess);
    return entry;
}

}  // namespace

bool SeedSampleEntry(const EntrySpec& spec, DWORD contentBytes)
{
    SeedEntry entry;
    entry.url = spec.url;
    entry.content = std::string(contentBytes, 'x');
    entry.type = spec.typeFlags == COOKIE_TYPE ? COOKIE_ENTRY : NORMAL_ENTRY;
    entry.header = spec.header;
    entry.expire = spec.expireTime;
    entry.modified = spec.lastModified;
    if (SeedCacheEntry(entry).empty())
        return false;
    SetCacheEntryTimes(spec.url, &spec.lastAccess, NULL, &spec.lastSync);
    SetCacheEntryCounters(spec.url, spec.hitRate, spec.exemptDelta);
    return true;
}

DWORD Pick(EntryMaker* maker, DWORD bound)
{
    // xorshift32: quick and the same on every run.
    DWORD x = maker->random;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    maker->random = x;
    return bound ? x % bound : 0;
}

FILETIME AddSeconds(FILETIME time, LONGLONG seconds)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    value.QuadPart += (ULONGLONG)(seconds * 10000000LL);
    FILETIME result = {value.LowPart, value.HighPart};
    return result;
}

EntryMaker NewEntryMaker(DWORD seed, const std::string& cacheFolder, const std::string& cookieFolder)
{
    EntryMaker maker;
    maker.random = seed ? seed : 1;
    maker.cacheFolder = cacheFolder;
    maker.cookieFolder = cookieFolder;
    for (std::string& folder : maker.subfolders)
        folder = RandomText(&maker, Alphanumerics, 36, 8);
    return maker;
}

std::string NewLocalFile(EntryMaker* maker, EntrySpec* entry)
{
    entry->folder = (int)Pick(maker, 4);
    const std::string& folder = maker->subfolders[entry->folder];
    int& used = maker->names[folder + "\\" + entry->fileName + "." + entry->extension];
    used++;
    entry->localFile = maker->cacheFolder + folder + "\\" + entry->fileName + "[" + std::to_string(used) + "]." +
                       entry->extension;
    return entry->localFile;
}

EntrySpec MakeEntry(EntryMaker* maker)
{
    for (;;) {
        EntrySpec entry = Pick(maker, 100) < 3 ? Cookie(maker) : Content(maker);
        if (maker->urls.insert(entry.url).second)
            return entry;
    }
}

std::vector<EntrySpec> MakeEntries(EntryMaker* maker, int count)
{
    std::vector<EntrySpec> entries;
    entries.reserve(count);
    for (int i = 0; i < count; i++)
        entries.push_back(MakeEntry(maker));
    return entries;
}

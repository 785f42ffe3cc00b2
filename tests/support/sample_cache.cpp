#include "sample_cache.h"
#include <stdio.h>
#include <string>
#include "cache_seed.h"

namespace {

struct SampleKind {
    const char* folder;
    const char* extension;
    const char* contentType;
    DWORD minSize;
    DWORD maxSize;
};

const SampleKind Kinds[] = {
    {"", "htm", "text/html", 2000, 40000},
    {"images/", "gif", "image/gif", 300, 12000},
    {"images/", "jpg", "image/jpeg", 4000, 60000},
    {"img/", "png", "image/png", 500, 30000},
    {"scripts/", "js", "application/x-javascript", 1000, 80000},
    {"css/", "css", "text/css", 800, 20000},
};

const char* const Hosts[] = {
    "www.example.com", "news.example.org", "static.example.net", "images.example.com",
    "shop.example.org", "cdn.example.net", "blog.example.com", "maps.example.org",
    "weather.example.net", "forum.example.com",
};

const char* const Names[] = {
    "index", "default", "logo", "banner", "header", "footer", "menu", "article", "photo",
    "thumb", "main", "common", "print", "search", "products", "gallery", "news", "spacer",
    "button", "arrow", "background", "sidebar", "story", "weekly", "archive", "contact",
};

// A small fixed generator, so that the same call seeds the same cache.
DWORD Next(DWORD* state)
{
    *state = *state * 1103515245u + 12345u;
    return (*state >> 8) & 0xFFFFFF;
}

FILETIME Before(FILETIME time, ULONGLONG seconds)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    value.QuadPart -= seconds * 10000000ull;
    FILETIME result = {value.LowPart, value.HighPart};
    return result;
}

}  // namespace

int SeedSampleCache(int count, FILETIME newest)
{
    DWORD state = 20050307;
    int seeded = 0;
    for (int i = 0; i < count; i++) {
        const char* host = Hosts[Next(&state) % (sizeof(Hosts) / sizeof(Hosts[0]))];
        char url[256];
        SeedEntry entry;
        if (i % 20 == 19) {
            snprintf(url, sizeof(url), "Cookie:user@%s/", host);
            entry.type = COOKIE_ENTRY;
            entry.content = std::string(60 + Next(&state) % 200, 'c');
        } else {
            const SampleKind& kind = Kinds[Next(&state) % (sizeof(Kinds) / sizeof(Kinds[0]))];
            const char* name = Names[Next(&state) % (sizeof(Names) / sizeof(Names[0]))];
            snprintf(url, sizeof(url), "http://%s/%s%s%d.%s", host, kind.folder, name, i, kind.extension);
            DWORD size = kind.minSize + Next(&state) % (kind.maxSize - kind.minSize);
            entry.content = std::string(size, 'x');
            char header[256];
            snprintf(header, sizeof(header),
                     "HTTP/1.1 200 OK\r\nContent-Type: %s\r\nContent-Length: %lu\r\nServer: Apache/2.0\r\n\r\n",
                     kind.contentType, (unsigned long)size);
            entry.header = header;
            entry.modified = Before(newest, 86400ull * (2 + Next(&state) % 400));
            if (Next(&state) % 3 == 0)
                entry.expire = MakeFileTime(2031 + (int)(Next(&state) % 5), 1 + (int)(Next(&state) % 12), 1);
        }
        entry.url = url;
        if (SeedCacheEntry(entry).empty())
            continue;
        seeded++;
        FILETIME access = Before(newest, 60ull * (Next(&state) % (60 * 24 * 21)));
        FILETIME sync = Before(access, 60ull * (Next(&state) % 600));
        SetCacheEntryTimes(url, &access, NULL, &sync);
        SetCacheEntryCounters(url, 1 + Next(&state) % 12, Next(&state) % 4 ? 0 : 86400 * (1 + Next(&state) % 7));
    }
    return seeded;
}

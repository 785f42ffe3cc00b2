#include "sample_listing.h"
#include <string.h>
#include <utility>
#include "entry_index.h"

static bool AddRecord(Listing* listing, const EntrySpec& spec)
{
    CacheEntry* entry = NewEntry(listing);
    if (!entry)
        return false;
    entry->url = CopyString(listing, spec.url.c_str());
    entry->localFile = CopyString(listing, spec.localFile.c_str());
    entry->headerText = spec.header.empty() ? NULL
                                            : CopyHeaderText(listing, spec.header.c_str(), (DWORD)spec.header.size());
    if (!entry->url || !entry->localFile || (!spec.header.empty() && !entry->headerText))
        return false;
    entry->status = 1;
    entry->typeFlags = spec.typeFlags;
    entry->size = spec.size;
    entry->hitRate = spec.hitRate;
    entry->useCount = spec.useCount;
    entry->exemptDelta = spec.exemptDelta;
    entry->entryNumber = listing->count;
    entry->lastAccess = spec.lastAccess;
    entry->lastModified = spec.lastModified;
    entry->lastSync = spec.lastSync;
    entry->expireTime = spec.expireTime;
    entry->fromBackup = 0;
    listing->count++;
    return true;
}

bool FillListing(Listing* listing, const std::vector<EntrySpec>& entries)
{
    if (!InitListing(listing))
        return false;
    for (const EntrySpec& spec : entries)
        if (!AddRecord(listing, spec))
            return false;
    return true;
}

void BuildIndexes(Listing* listing)
{
    BuildIndex(&listing->byLocalFile, listing);
    BuildIndex(&listing->byUrl, listing);
}

void Shuffle(std::vector<EntrySpec>* entries, DWORD seed)
{
    EntryMaker random;
    random.random = seed ? seed : 1;
    for (size_t i = entries->size(); i > 1; i--)
        std::swap((*entries)[i - 1], (*entries)[Pick(&random, (DWORD)i)]);
}

std::vector<EntrySpec> FollowingScan(EntryMaker* maker, const std::vector<EntrySpec>& earlier, const ChangeMix& mix)
{
    std::vector<EntrySpec> scan;
    scan.reserve(earlier.size() + earlier.size() * mix.added / 1000);
    for (const EntrySpec& old : earlier) {
        DWORD roll = Pick(maker, 1000);
        if (roll < (DWORD)mix.deleted)
            continue;
        EntrySpec entry = old;
        roll -= mix.deleted;
        if (roll < (DWORD)mix.revisited) {
            entry.lastAccess = AddSeconds(entry.lastAccess, 60 + Pick(maker, 86400));
            entry.hitRate++;
        } else if (roll - mix.revisited < (DWORD)mix.moved && entry.typeFlags != COOKIE_TYPE) {
            NewLocalFile(maker, &entry);
            entry.lastAccess = AddSeconds(entry.lastAccess, 60 + Pick(maker, 86400));
        }
        scan.push_back(entry);
    }
    size_t added = earlier.size() * mix.added / 1000;
    for (size_t i = 0; i < added; i++)
        scan.push_back(MakeEntry(maker));
    Shuffle(&scan, Pick(maker, 0xFFFFFFFF) | 1);
    return scan;
}

static double TextBytes(const char* text)
{
    return text ? (double)strlen(text) + 1 : 0;
}

double PayloadBytes(const Listing* listing)
{
    double bytes = 0;
    for (LONG row = 0; row < listing->count; row++) {
        const CacheEntry* entry = EntryAt(listing, row);
        bytes += sizeof(CacheEntry) + TextBytes(entry->url) + TextBytes(entry->localFile) +
                 TextBytes(entry->headerText);
    }
    return bytes;
}

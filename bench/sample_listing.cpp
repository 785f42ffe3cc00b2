#include "sample_listing.h"
#include <string.h>
#include <utility>
#include "cache_scan.h"
#include "entry_index.h"

std::string SizeLabel(int count)
{
    std::string digits = std::to_string(count), label;
    for (size_t i = 0; i < digits.size(); i++) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            label += ',';
        label += digits[i];
    }
    return label;
}

EntryMaker MadeUpMaker(int count)
{
    return NewEntryMaker(1000 + count, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
}

Sample MadeUpSample(int count)
{
    Sample sample;
    sample.label = SizeLabel(count);
    sample.maker = MadeUpMaker(count);
    sample.entries = MakeEntries(&sample.maker, count);
    return sample;
}

// An entry as the listing holds it, its header already flattened.
static EntrySpec SpecOf(const CacheEntry* entry)
{
    EntrySpec spec;
    spec.url = entry->url ? entry->url : "";
    spec.localFile = entry->localFile ? entry->localFile : "";
    spec.header = entry->headerText ? entry->headerText : "";
    const char* name = strrchr(spec.localFile.c_str(), '\\');
    spec.fileName = name ? name + 1 : spec.localFile;
    spec.extension = spec.fileName.substr(spec.fileName.rfind('.') + 1);
    spec.fileName = spec.fileName.substr(0, spec.fileName.find('['));
    spec.typeFlags = entry->typeFlags;
    spec.size = entry->size;
    spec.hitRate = entry->hitRate;
    spec.useCount = entry->useCount;
    spec.exemptDelta = entry->exemptDelta;
    spec.lastAccess = entry->lastAccess;
    spec.lastModified = entry->lastModified;
    spec.lastSync = entry->lastSync;
    spec.expireTime = entry->expireTime;
    return spec;
}

Sample RealSample(int seeded)
{
    Sample sample;
    sample.label = SizeLabel(seeded) + " (real cache)";
    sample.real = true;
    sample.seeded = seeded;
    sample.maker = NewEntryMaker(31337, SAMPLE_CACHE_FOLDER, SAMPLE_COOKIE_FOLDER);
    Listing listing = {};
    ScanCache(&listing, TRUE, GetDiskFreeSpaceExA);
    for (LONG row = 0; row < listing.count; row++)
        sample.entries.push_back(SpecOf(EntryAt(&listing, row)));
    FreeListing(&listing);
    return sample;
}

bool AppendEntry(Listing* listing, const EntrySpec& spec)
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
        if (!AppendEntry(listing, spec))
            return false;
    return true;
}

void BuildIndexes(Listing* listing)
{
    BuildIndex(&listing->byLocalFile, listing);
    BuildIndex(&listing->byUrl, listing);
}

std::vector<EntrySpec> FollowingScan(EntryMaker* maker, const std::vector<EntrySpec>& earlier, const ChangeMix& mix)
{
    std::vector<EntrySpec> scan;
    scan.reserve(earlier.size() + earlier.size() * mix.added / 1000);
    for (const EntrySpec& old : earlier) {
        if (Pick(maker, 1000) < (DWORD)mix.added)
            scan.push_back(MakeEntry(maker));
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
    return scan;
}

std::vector<EntrySpec> SomeWithoutFiles(std::vector<EntrySpec> entries, int every)
{
    for (size_t i = 0; i < entries.size(); i += every)
        if (entries[i].typeFlags != COOKIE_TYPE)
            entries[i].localFile.clear();
    return entries;
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

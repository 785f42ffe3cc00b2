// A month of archives in one timeline: check_history.py reads the files this test leaves with Python's csv and json
// modules and the Sleuth Kit's mactime, and compares every change row with the changes made here.
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include "backup_builder.h"
#include "cache_seed.h"
#include "run_program.h"

namespace {

const std::string Site = "http://history.example.com/";

// The run's output folder, through Wine's drive Z, where check_history.py finds the files.
std::string OutputPath(const std::string& name)
{
    std::string folder = getenv("BRINDLEWICK_TEST_OUTPUT") ? getenv("BRINDLEWICK_TEST_OUTPUT") : "";
    for (char& c : folder)
        c = c == '/' ? '\\' : c;
    return "Z:" + folder + "\\" + name;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string Contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void Replace(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// Dates an entry: Last Access (and Last Sync'ed) on the day of February given, Last Modified on the day of January.
void Date(const std::string& url, int accessDay, int modifiedDay)
{
    FILETIME access = MakeFileTime(2026, 2, accessDay, 10), modified = MakeFileTime(2026, 1, modifiedDay, 8);
    ASSERT_TRUE(SetCacheEntryTimes(url, &access, &modified, &access)) << url;
}

void Seed(const std::string& url, int accessDay, int modifiedDay, const std::string& header = "")
{
    ASSERT_NE(SeedCacheEntry(SeedEntry(url, "content of " + url, NORMAL_ENTRY, header)), "") << url;
    Date(url, accessDay, modifiedDay);
}

// The moment a header says, written at its place.
void Stamp(std::string& bytes, const FILETIME& time, bool tagged = true)
{
    bytes.replace(16, 16, tagged ? std::string("BWSAVED\0", 8).append((const char*)&time, 8) : std::string(16, '\0'));
}

// Saves the cache as an archive, checks the moment of saving in its header, then dates it the day of March given
// at 01:00 UTC; with `olderWriter`, the header says nothing and the file's last-write time holds that moment.
std::string Archive(const std::string& name, int day, bool olderWriter = false)
{
    std::string path = OutputPath("history archives\\" + name);
    ULARGE_INTEGER before, after, saved;
    FILETIME dated = MakeFileTime(2026, 3, day, 1);
    GetSystemTimeAsFileTime((FILETIME*)&before);
    EXPECT_EQ(RunProgram("/backup " + Quoted(path)), 0);
    GetSystemTimeAsFileTime((FILETIME*)&after);
    std::string bytes = Contents(path);
    memcpy(&saved, &bytes[24], 8);
    EXPECT_EQ(bytes.substr(16, 8), std::string("BWSAVED\0", 8));
    EXPECT_TRUE(before.QuadPart <= saved.QuadPart && saved.QuadPart <= after.QuadPart);
    Stamp(bytes, dated, !olderWriter);
    Replace(path, bytes);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_TRUE(!olderWriter || SetFileTime(handle, NULL, NULL, &dated));
    CloseHandle(handle);
    return path;
}

}  // namespace

// Four nightly archives of a cache that changed between them, one archive broken off and one of an older writer:
// every change is a row with the time of the archive that first showed it, the broken one is named and passed over,
// and the files named in any order give the same rows as their folder.
TEST(History, AMonthOfArchivesInOneTimeline)
{
    ClearUrlCache();
    CreateDirectoryA(OutputPath("history archives").c_str(), NULL);
    for (const char* name : {"keep.htm", "gone.htm", "visit.htm", "update.htm", "counters.htm"})
        Seed(Site + name, 1, 2);
    std::vector<std::string> archives = {Archive("first.cbf", 1)};
    Seed(Site + "new.htm", 3, 4);
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "gone.htm").c_str()));
    Date(Site + "visit.htm", 5, 2);
    archives.push_back(Archive("second.cbf", 2));
    Date(Site + "update.htm", 1, 6);
    ASSERT_TRUE(SetCacheEntryCounters(Site + "counters.htm", 9, 4000000000u));
    archives.push_back(Archive("third by an older writer.cbf", 3, true));
    Seed(Site + "odd.htm?a|b\"c\\d%7C\x01\x1F\x7F\xE9\x80,2", 7, 8, "HTTP/1.1 200 OK\r\nX-Odd: |\"\\\t\x01\xE9\x80\r\n\r\n");
    ASSERT_TRUE(DeleteUrlCacheEntryA((Site + "visit.htm").c_str()));
    archives.push_back(Archive("fourth.cbf", 4));
    std::string broken = OutputPath("history archives\\broken.cbf"), bytes = Contents(archives[1]);
    Stamp(bytes, MakeFileTime(2026, 3, 2, 12));
    Replace(broken, bytes.substr(0, bytes.size() - 9));

    std::string errors, names;
    std::string outputs = " /csv " + Quoted(OutputPath("history.csv")) + " /jsonl " + Quoted(OutputPath("history.jsonl")) +
                          " /bodyfile " + Quoted(OutputPath("history.body"));
    EXPECT_EQ(RunProgram("/history " + Quoted(OutputPath("history archives")) + outputs, nullptr, &errors), 2);
    std::string named = "Couldn't read the cache backup file " + Quoted(broken) + ": ";
    EXPECT_EQ(errors.substr(0, named.size()), named);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    for (auto name = archives.rbegin(); name != archives.rend(); name++)
        names += Quoted(*name) + " ";
    TempFile again("brindlewick history again.csv");
    EXPECT_EQ(RunProgram("/history " + names + "/csv " + Quoted(again.path)), 0);
    EXPECT_EQ(again.Read(), Contents(OutputPath("history.csv")));
}

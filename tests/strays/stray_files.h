// Files and folders that a stray test makes in the cache folders and removes again.
#ifndef BRINDLEWICK_TEST_STRAY_FILES_H
#define BRINDLEWICK_TEST_STRAY_FILES_H

#include <windows.h>
#include <string>
#include <vector>

struct MadeFiles {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    ~MadeFiles();
    // A file of `size` bytes (sparse beyond what is written) with the given times;
    // gives whether it was made.
    bool File(const std::string& path, ULONGLONG size, FILETIME access, FILETIME write);
    bool Folder(const std::string& path);
};

// The cache folder of a local file: up to and including its second backslash from the end.
std::string CacheFolderOf(const std::string& localFile);
// The names of the cache folder's subfolders.
std::vector<std::string> SubfolderNames(const std::string& cacheFolder);

#endif

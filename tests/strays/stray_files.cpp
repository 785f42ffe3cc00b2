#include "stray_files.h"

// Long paths go through the wide calls with the "\\?\" prefix, which the 8-bit
// calls do not accept beyond MAX_PATH.
static std::wstring LongPath(const std::string& path)
{
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}

MadeFiles::~MadeFiles()
{
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        SetFileAttributesW(LongPath(*file).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(LongPath(*file).c_str());
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(LongPath(*folder).c_str());
}

bool MadeFiles::File(const std::string& path, ULONGLONG size, FILETIME access, FILETIME write)
{
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    files.push_back(path);
    LARGE_INTEGER end;
    end.QuadPart = (LONGLONG)size;
    bool ok = SetFilePointerEx(file, end, NULL, FILE_BEGIN) && SetEndOfFile(file) &&
              SetFileTime(file, NULL, &access, &write);
    CloseHandle(file);
    return ok;
}

bool MadeFiles::Folder(const std::string& path)
{
    if (!CreateDirectoryW(LongPath(path).c_str(), NULL))
        return false;
    folders.push_back(path);
    return true;
}

std::string CacheFolderOf(const std::string& localFile)
{
    size_t last = localFile.rfind('\\');
    return localFile.substr(0, localFile.rfind('\\', last - 1) + 1);
}

std::vector<std::string> SubfolderNames(const std::string& cacheFolder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((cacheFolder + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

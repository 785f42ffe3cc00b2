#include "settings_key.h"

static const char* const Key = "Software\\Tallowmere\\Brindlewick";

void ClearSettingsKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, Key);
    RegDeleteKeyA(HKEY_CURRENT_USER, Key);
}

void PutSetting(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, Key, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, (const BYTE*)data, size);
    RegCloseKey(key);
}

void PutDwordSetting(const char* name, DWORD value)
{
    PutSetting(name, REG_DWORD, &value, sizeof(value));
}

void DeleteSetting(const char* name)
{
    RegDeleteKeyValueA(HKEY_CURRENT_USER, Key, name);
}

bool GetSetting(const char* name, std::vector<BYTE>* data, DWORD* type)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    bool found = RegQueryValueExA(key, name, NULL, type, NULL, &size) == ERROR_SUCCESS;
    if (found) {
        data->assign(size, 0);
        found = RegQueryValueExA(key, name, NULL, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return found;
}

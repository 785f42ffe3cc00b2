#include "settings_key.h"

static const char* const Key = "Software\\Tallowmere\\Brindlewick";

void ClearSettingsKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, Key);
    RegDeleteKeyA(HKEY_CURRENT_USER, Key);
}

void PutSetting(const char* name, DWORD type, const void* data, DWORD size)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, Key, name, type, data, size);
}

void PutDwordSetting(const char* name, DWORD value)
{
    PutSetting(name, REG_DWORD, &value, sizeof(value));
}

bool GetSetting(const char* name, std::vector<BYTE>* data, DWORD* type)
{
    DWORD size = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, Key, name, RRF_RT_ANY, type, NULL, &size) != ERROR_SUCCESS)
        return false;
    data->resize(size);
    bool found = RegGetValueA(HKEY_CURRENT_USER, Key, name, RRF_RT_ANY, type, data->data(), &size) == ERROR_SUCCESS;
    data->resize(size);
    return found;
}

// The program's registry key in the test prefix's real registry.
#ifndef BRINDLEWICK_TEST_SETTINGS_KEY_H
#define BRINDLEWICK_TEST_SETTINGS_KEY_H

#include <windows.h>
#include <vector>

// Deletes the key with all its values.
void ClearSettingsKey();
// Writes one value, creating the key when needed.
void PutSetting(const char* name, DWORD type, const void* data, DWORD size);
void PutDwordSetting(const char* name, DWORD value);
// Reads one value; false when it is absent.
bool GetSetting(const char* name, std::vector<BYTE>* data, DWORD* type);

#endif

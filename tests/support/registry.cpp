#include "support/registry.h"

#include <shlwapi.h>

#include <cstdio>

void RemoveBaseKey()
{
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kBaseKey);
}

bool KeyExists(const char* path)
{
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::optional<StoredValue> ReadValue(const char* keyPath, const char* name)
{
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    LONG status = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (status == ERROR_SUCCESS && size > 0)
        status = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return StoredValue{type, data};
}

std::optional<std::string> Setting(const char* name)
{
    auto value = ReadValue(kSettingsKey, name);
    if (!value)
        return std::nullopt;
    std::string text = value->data;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void WriteRawValue(const char* keyPath, const char* name, DWORD type, const std::string& data)
{
    HKEY key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
}

void SetSetting(const char* name, const std::string& text)
{
    WriteRawValue(kSettingsKey, name, REG_SZ, text + '\0');
}

std::string IniFilePath()
{
    char directory[MAX_PATH] = {};
    ::GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\Prodle.INI";
}

void WriteIniFile(const std::string& content)
{
    FILE* file = std::fopen(IniFilePath().c_str(), "wb");
    if (!file)
        return;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
}

void RemoveIniFile()
{
    ::DeleteFileA(IniFilePath().c_str());
}

#include "support/registry.h"

#include "support/import_patch.h"

#include <shlwapi.h>

#include <cstdio>

void RemoveBaseKey()
{
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, kBaseKey);
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kBaseKey);
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

namespace {

bool g_refuseEveryKey = false;
LONG g_refusal = ERROR_ACCESS_DENIED;

LONG WINAPI RefuseCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR kind, DWORD options, REGSAM access,
                         LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (root == HKEY_LOCAL_MACHINE || g_refuseEveryKey)
        return g_refusal;
    return RealFunction<decltype(&::RegCreateKeyExA)>("advapi32.dll", "RegCreateKeyExA")(
        root, path, reserved, kind, options, access, security, key, disposition);
}

}  // namespace

struct RefusedRegistry::Patch {
    ImportPatch create{
        {"advapi32.dll", "kernelbase.dll"}, "RegCreateKeyExA", reinterpret_cast<void*>(&RefuseCreate)};
};

RefusedRegistry::RefusedRegistry(bool everyKey, LONG error) : m_patch(new Patch)
{
    g_refuseEveryKey = everyKey;
    g_refusal = error;
}

RefusedRegistry::~RefusedRegistry()
{
    delete m_patch;
}

bool RefusedRegistry::Active() const
{
    return m_patch->create.Patched() > 0;
}

std::optional<std::string> UserSetting(const char* name)
{
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char text[1024] = {};
    DWORD size = sizeof text - 1;
    const LONG status = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::optional<std::string>(text) : std::nullopt;
}

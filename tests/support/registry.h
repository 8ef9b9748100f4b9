// The program's settings in the real registry, for tests: a clean start, and reading back what was stored.
#ifndef PRODLE_TESTS_SUPPORT_REGISTRY_H
#define PRODLE_TESTS_SUPPORT_REGISTRY_H

#include <windows.h>

#include <optional>
#include <string>

constexpr const char* kBaseKey = "Software\\Quendar Software\\Prodle";
constexpr const char* kSettingsKey = "Software\\Quendar Software\\Prodle\\Settings";

// Removes the program's whole base key (and with it every setting), and this user's copy of it.
void RemoveBaseKey();
bool KeyExists(const char* path);
// A value's raw data and type, or nothing when the key or value is missing.
struct StoredValue {
    DWORD type;
    std::string data;  // exactly the stored bytes
};
std::optional<StoredValue> ReadValue(const char* keyPath, const char* name);
// The text of a REG_SZ setting in Settings, without its terminating zero; nothing when missing.
std::optional<std::string> Setting(const char* name);
void SetSetting(const char* name, const std::string& text);
// The key refuses writes (RegCreateKeyExA answers `error`, "access denied" unless said) while this
// lives: the machine-wide one (HKEY_LOCAL_MACHINE), or every key.
class RefusedRegistry {
public:
    explicit RefusedRegistry(bool everyKey = false, LONG error = ERROR_ACCESS_DENIED);
    ~RefusedRegistry();
    RefusedRegistry(const RefusedRegistry&) = delete;
    RefusedRegistry& operator=(const RefusedRegistry&) = delete;
    bool Active() const;

private:
    struct Patch;
    Patch* m_patch;
};
// The text of a value in this user's copy of Settings; nothing when missing.
std::optional<std::string> UserSetting(const char* name);
// Writes raw data of any type.
void WriteRawValue(const char* keyPath, const char* name, DWORD type, const std::string& data);

// The legacy INI file in the Windows directory.
std::string IniFilePath();
void WriteIniFile(const std::string& content);
void RemoveIniFile();

#endif

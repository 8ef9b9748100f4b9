// The section and value names of the program's settings in the registry.
#ifndef PRODLE_SETTINGS_SETTING_NAMES_H
#define PRODLE_SETTINGS_SETTING_NAMES_H

constexpr const char* kSettingsSection = "Settings";
constexpr const char* kSettingOften = "Often";
constexpr const char* kSettingIgnore = "Ignore";
constexpr const char* kSettingRandomName = "RandomName";
constexpr const char* kSettingRandomTime = "RandomTime";
constexpr const char* kSettingAutoStart = "AutoStart";
constexpr const char* kSettingDebug = "Debug";
// In this user's own key: Windows' error number for which the user was told that the settings are kept
// for this user alone.
constexpr const char* kToldStoredForUser = "ToldStoredForUser";

#endif

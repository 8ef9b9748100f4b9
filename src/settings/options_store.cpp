#include "settings/options_store.h"

#include "settings/profile_store.h"
#include "settings/setting_names.h"

KeepAliveOptions OptionsStore::Load() const
{
    // A hand-edited value other than 0 or 1 is read as the program has always read each flag: "Ignore"
    // and "RandomName" are on unless 0; "RandomTime", "AutoStart" and "Debug" are on only at 1.
    KeepAliveOptions options;
    options.ignoreFailures = Value(kSettingIgnore, 0) != 0;
    options.randomHost = Value(kSettingRandomName, 0) != 0;
    options.randomTime = Value(kSettingRandomTime, 0) == 1;
    options.autoStart = Value(kSettingAutoStart, 1) == 1;
    options.debug = Value(kSettingDebug, 0) == 1;
    options.linkNotices = Value(kSettingLinkNotices, 1) != 0;
    return options;
}

bool OptionsStore::LaunchesStopped() const
{
    return Value(kSettingAutoStart, 1) == 0;
}

int OptionsStore::Value(const char* name, int defaultValue) const
{
    return m_store.GetProfileInt(kSettingsSection, name, defaultValue);
}

void OptionsStore::Store(const KeepAliveOptions& options) const
{
    StoreIgnoreFailures(options.ignoreFailures);
    m_store.WriteProfileInt(kSettingsSection, kSettingAutoStart, options.autoStart);
    m_store.WriteProfileInt(kSettingsSection, kSettingRandomName, options.randomHost);
    m_store.WriteProfileInt(kSettingsSection, kSettingRandomTime, options.randomTime);
}

void OptionsStore::StoreLinkNotices(bool on) const
{
    m_store.WriteProfileInt(kSettingsSection, kSettingLinkNotices, on);
}

void OptionsStore::StoreIgnoreFailures(bool ignore) const
{
    m_store.WriteProfileInt(kSettingsSection, kSettingIgnore, ignore);
}

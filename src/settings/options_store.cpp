#include "settings/options_store.h"

#include "settings/profile_store.h"
#include "settings/setting_names.h"

KeepAliveOptions OptionsStore::Load() const
{
    const auto flag = [this](const char* name, int defaultValue) {
        return m_store.GetProfileInt(kSettingsSection, name, defaultValue) != 0;
    };
    KeepAliveOptions options;
    options.ignoreFailures = flag(kSettingIgnore, 0);
    options.randomHost = flag(kSettingRandomName, 0);
    options.randomTime = flag(kSettingRandomTime, 0);
    options.autoStart = flag(kSettingAutoStart, 1);
    options.debug = flag(kSettingDebug, 0);
    return options;
}

void OptionsStore::Store(const KeepAliveOptions& options) const
{
    StoreIgnoreFailures(options.ignoreFailures);
    m_store.WriteProfileInt(kSettingsSection, kSettingAutoStart, options.autoStart);
    m_store.WriteProfileInt(kSettingsSection, kSettingRandomName, options.randomHost);
    m_store.WriteProfileInt(kSettingsSection, kSettingRandomTime, options.randomTime);
}

void OptionsStore::StoreIgnoreFailures(bool ignore) const
{
    m_store.WriteProfileInt(kSettingsSection, kSettingIgnore, ignore);
}

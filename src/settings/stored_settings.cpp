#include "settings/stored_settings.h"

#include "settings/host_list_store.h"
#include "settings/options_store.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

KeepAliveEngine::Settings StoredSettings::Load() const
{
    const HostListStore hosts(m_store);
    KeepAliveEngine::Settings settings;
    settings.options = OptionsStore(m_store).Load();
    settings.often = m_store.GetProfileString(kSettingsSection, kSettingOften, "25");
    settings.hosts = hosts.LoadHosts();
    settings.selected = hosts.LoadSelection();
    return settings;
}

void StoredSettings::StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                                     int selected)
{
    m_store.WriteProfileString(kSettingsSection, kSettingOften, often.c_str());
    // Entries stored beyond the list are left alone.
    const HostListStore store(m_store);
    store.StoreHosts(hosts, HostListStore::Beyond::Keep);
    store.StoreSelection(selected);
}

void StoredSettings::StoreHostList(const std::vector<std::string>& hosts, int selected)
{
    // Entries that dropped off the end of a shorter list are blanked, up to the old end.
    const HostListStore store(m_store);
    store.StoreHosts(hosts, HostListStore::Beyond::Blank);
    store.StoreSelection(selected);
}

void StoredSettings::StoreOptions(const KeepAliveOptions& options)
{
    OptionsStore(m_store).Store(options);
}

void StoredSettings::StoreIgnoreFailuresOff()
{
    OptionsStore(m_store).StoreIgnoreFailures(false);
}

#include "settings/stored_settings.h"

#include <windows.h>

#include "settings/host_list_store.h"
#include "settings/options_store.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

KeepAliveEngine::Settings StoredSettings::Load() const
{
    const HostListStore hosts(m_store);
    KeepAliveEngine::Settings settings;
    const OptionsStore options(m_store);
    settings.options = options.Load();
    settings.launchesStopped = options.LaunchesStopped();
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
    TellOfRefusedWrites();
}

void StoredSettings::StoreHostList(const std::vector<std::string>& hosts, int selected)
{
    // Entries that dropped off the end of a shorter list are blanked, up to the old end.
    const HostListStore store(m_store);
    store.StoreHosts(hosts, HostListStore::Beyond::Blank);
    store.StoreSelection(selected);
    TellOfRefusedWrites();
}

void StoredSettings::StoreOptions(const KeepAliveOptions& options)
{
    OptionsStore(m_store).Store(options);
    TellOfRefusedWrites();
}

void StoredSettings::StoreIgnoreFailuresOff()
{
    OptionsStore(m_store).StoreIgnoreFailures(false);
    TellOfRefusedWrites();
}

namespace {

// Windows' words for an error, on one line.
std::string Reason(LONG error)
{
    char text[256] = {};
    if (!::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                          static_cast<DWORD>(error), 0, text, sizeof text, nullptr))
        return "error " + std::to_string(error);
    std::string reason(text);
    while (!reason.empty() &&
           (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

}  // namespace

void StoredSettings::TellOfRefusedWrites()
{
    for (const CProfileStore::WriteProblem& problem : m_store.TakeWriteProblems()) {
        // Each setting once a run in the log: after every prodle the same values are written again.
        if (!m_logged.insert(problem.name).second)
            continue;
        const std::string what = "\"" + problem.name + "\" (" + Reason(problem.error) + ")";
        m_journal.Note(problem.storedForUser ? "Settings: " + what +
                                                   " could not be stored for all users; it is "
                                                   "stored for this user alone"
                                             : "Settings: " + what + " could not be stored");
        if (m_told)
            continue;
        if (problem.storedForUser) {
            TellStoredForUser(what, problem.error);
            continue;
        }
        m_told = true;
        m_display.ShowNotice("Prodle could not store the setting " + what +
                             ".\n\nIt goes on with what you set, but the next start will not know it.");
    }
}

void StoredSettings::TellStoredForUser(const std::string& what, long error)
{
    const std::string reason = std::to_string(error);
    if (m_store.GetUserString(kSettingsSection, kToldStoredForUser) == reason)
        return;
    m_told = true;
    m_store.WriteUserString(kSettingsSection, kToldStoredForUser, reason.c_str());
    m_notices.TellOfSettings(
        "Prodle could not store its settings for all users of this computer: the setting " + what +
            " was refused.\n\nIt keeps them for you alone, under HKEY_CURRENT_USER\\Software\\"
            "Quendar Software\\Prodle, and reads them from there at its next start.",
        "Prodle keeps its settings for you alone",
        "They could not be stored for all users of this computer: the setting " + what +
            " was refused. Prodle reads them from your own key at its next start.");
}

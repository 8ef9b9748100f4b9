// The keep-alive engine's settings in the registry: read once when the program starts, and written when
// the engine asks (after a successful connection, and what the user confirms). A write that the
// registry refuses is said once a run in a box (which setting, and why), and once a run for each setting
// in the log; the program goes on with what the user set.
#ifndef PRODLE_SETTINGS_STORED_SETTINGS_H
#define PRODLE_SETTINGS_STORED_SETTINGS_H

#include <set>
#include <string>

#include "engine/keep_alive_engine.h"
#include "engine/ports.h"

class CProfileStore;

class StoredSettings : public SettingsStore {
public:
    StoredSettings(const CProfileStore& store, Display& display, Journal& journal)
        : m_store(store), m_display(display), m_journal(journal)
    {
    }

    KeepAliveEngine::Settings Load() const;

    void StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                         int selected) override;
    void StoreHostList(const std::vector<std::string>& hosts, int selected) override;
    void StoreOptions(const KeepAliveOptions& options) override;
    void StoreIgnoreFailuresOff() override;
    void StoreLinkNotices(bool on) override;

private:
    // Tells of the writes the registry refused since the last time.
    void TellOfRefusedWrites();

    const CProfileStore& m_store;
    Display& m_display;
    Journal& m_journal;
    bool m_told = false;
    std::set<std::string> m_logged;
};

#endif

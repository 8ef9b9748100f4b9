// The keep-alive engine's settings in the registry: read once when the program starts, and written when
// the engine asks (after a successful connection, and what the user confirms). A write that the
// registry refuses is said once a run for each setting in the log, and to the user once (which setting,
// and why); the program goes on with what the user set. A setting kept for this user alone, since the
// machine-wide key refused it, is told once per user: again only when Windows' reason changes, for
// every later start meets the same refusal.
#ifndef PRODLE_SETTINGS_STORED_SETTINGS_H
#define PRODLE_SETTINGS_STORED_SETTINGS_H

#include <set>
#include <string>

#include "engine/keep_alive_engine.h"
#include "engine/ports.h"

class CProfileStore;

// Where a notice about the settings that needs no answer goes: a box for a user who sees the form, a
// word beside the tray icon (a title and a brief text) for one who does not.
class SettingsNotices {
public:
    virtual void TellOfSettings(const std::string& boxText, const std::string& title,
                                const std::string& brief) = 0;

protected:
    ~SettingsNotices() = default;
};

class StoredSettings : public SettingsStore {
public:
    StoredSettings(const CProfileStore& store, Display& display, SettingsNotices& notices, Journal& journal)
        : m_store(store), m_display(display), m_notices(notices), m_journal(journal)
    {
    }

    KeepAliveEngine::Settings Load() const;

    void StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                         int selected) override;
    void StoreHostList(const std::vector<std::string>& hosts, int selected) override;
    void StoreOptions(const KeepAliveOptions& options) override;
    void StoreIgnoreFailuresOff() override;

private:
    // Tells of the writes the registry refused since the last time.
    void TellOfRefusedWrites();
    // Tells that a setting is kept for this user alone, unless this user was told so for the same reason.
    void TellStoredForUser(const std::string& what, long error);

    const CProfileStore& m_store;
    Display& m_display;
    SettingsNotices& m_notices;
    Journal& m_journal;
    bool m_told = false;
    std::set<std::string> m_logged;
};

#endif

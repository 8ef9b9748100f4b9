// The keep-alive engine's settings in the registry: read once when the program starts, and written when
// the engine asks (after a successful connection, and what the user confirms).
#ifndef PRODLE_SETTINGS_STORED_SETTINGS_H
#define PRODLE_SETTINGS_STORED_SETTINGS_H

#include "engine/keep_alive_engine.h"
#include "engine/ports.h"

class CProfileStore;

class StoredSettings : public SettingsStore {
public:
    explicit StoredSettings(const CProfileStore& store) : m_store(store) {}

    KeepAliveEngine::Settings Load() const;

    void StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                         int selected) override;
    void StoreHostList(const std::vector<std::string>& hosts, int selected) override;
    void StoreOptions(const KeepAliveOptions& options) override;
    void StoreIgnoreFailuresOff() override;

private:
    const CProfileStore& m_store;
};

#endif

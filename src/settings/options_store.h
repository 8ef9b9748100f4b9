// The option flags of the keep-alive engine as the registry keeps them under "Settings": "Ignore",
// "RandomName", "RandomTime", "AutoStart" (each "0" or "1") and "Debug", which only an edit of the
// registry or the INI import sets. This is the one place that reads and writes them.
#ifndef PRODLE_SETTINGS_OPTIONS_STORE_H
#define PRODLE_SETTINGS_OPTIONS_STORE_H

#include "engine/keep_alive_options.h"

class CProfileStore;

class OptionsStore {
public:
    explicit OptionsStore(const CProfileStore& store) : m_store(store) {}

    KeepAliveOptions Load() const;
    // The tray shows the stopped picture at launch only for "AutoStart" stored as 0 (any other value
    // keeps the running one, though only 1 starts the cycle).
    bool LaunchesStopped() const;
    // The four flags the Options dialog edits, all of them, changed or not ("Debug" is never written).
    void Store(const KeepAliveOptions& options) const;
    void StoreIgnoreFailures(bool ignore) const;
    void StoreLinkNotices(bool on) const;

private:
    int Value(const char* name, int defaultValue) const;

    const CProfileStore& m_store;
};

#endif

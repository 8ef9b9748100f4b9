// The option flags of the keep-alive engine, as the registry keeps them under "Settings": "Ignore",
// "RandomName", "RandomTime", "AutoStart" (each "0" or "1") and "Debug", which only an edit of the
// registry or the INI import sets. This is the one place that reads and writes them.
#ifndef PRODLE_SETTINGS_KEEP_ALIVE_OPTIONS_H
#define PRODLE_SETTINGS_KEEP_ALIVE_OPTIONS_H

class CProfileStore;

struct KeepAliveOptions {
    bool ignoreFailures = false;  // "Ignore Connection Failures": a failed host gives way to the next
    bool randomHost = false;      // "Randomize Domain Name": each prodle after the first picks another host
    bool randomTime = false;      // "Randomize Prodle Time": each wait is the period give or take 30 s
    bool autoStart = true;        // "Auto-Start": the cycle starts a second after the program does
    bool debug = false;           // any minutes text gives 15 s, and random shifts are at most 5 s
};

class OptionsStore {
public:
    explicit OptionsStore(const CProfileStore& store) : m_store(store) {}

    KeepAliveOptions Load() const;
    // The four flags the Options dialog edits, all of them, changed or not ("Debug" is never written).
    void Store(const KeepAliveOptions& options) const;
    void StoreIgnoreFailures(bool ignore) const;

private:
    const CProfileStore& m_store;
};

#endif

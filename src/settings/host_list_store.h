// The host list as the registry keeps it: "ComboName0", "ComboName1", ... in list order, up to the
// first missing or empty one, and the index of the selected entry as "ComboNameSel". Existing installs
// hold these values, so names and texts stay exactly as they are; this is the one place that reads and
// writes them.
#ifndef PRODLE_SETTINGS_HOST_LIST_STORE_H
#define PRODLE_SETTINGS_HOST_LIST_STORE_H

#include <vector>

#include "framework/cstring.h"

class CProfileStore;

class HostListStore {
public:
    explicit HostListStore(const CProfileStore& store) : m_store(store) {}

    // The stored entries, in order; empty when none is stored.
    std::vector<CString> LoadHosts() const;
    // What happens to entries stored beyond the ones written: kept as they are, or overwritten with
    // the empty text up to the old end, so that a shorter list reads back as itself.
    enum class Beyond { Keep, Blank };
    void StoreHosts(const std::vector<CString>& hosts, Beyond beyond) const;

    // The stored selection, 0 when there is none (it may be out of the list's range).
    int LoadSelection() const;
    void StoreSelection(int index) const;

private:
    const CProfileStore& m_store;
};

#endif

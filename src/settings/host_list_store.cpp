#include "settings/host_list_store.h"

#include "settings/profile_store.h"
#include "settings/setting_names.h"

namespace {

constexpr const char* kSettingComboNameFormat = "ComboName%d";
constexpr const char* kSettingComboNameSel = "ComboNameSel";

CString NameValue(int index)
{
    return FormatString(kSettingComboNameFormat, index);
}

}  // namespace

std::vector<CString> HostListStore::LoadHosts() const
{
    std::vector<CString> hosts;
    for (int i = 0;; ++i) {
        CString host = m_store.GetProfileString(kSettingsSection, NameValue(i).c_str(), "");
        if (host.empty())
            return hosts;
        hosts.push_back(std::move(host));
    }
}

void HostListStore::StoreHosts(const std::vector<CString>& hosts, Beyond beyond) const
{
    int i = 0;
    for (; i < static_cast<int>(hosts.size()); ++i)
        m_store.WriteProfileString(kSettingsSection, NameValue(i).c_str(),
                                   hosts[static_cast<size_t>(i)].c_str());
    if (beyond == Beyond::Keep)
        return;
    for (;; ++i) {
        const CString value = NameValue(i);
        if (m_store.GetProfileString(kSettingsSection, value.c_str(), "").empty())
            return;
        m_store.WriteProfileString(kSettingsSection, value.c_str(), "");
    }
}

int HostListStore::LoadSelection() const
{
    return m_store.GetProfileInt(kSettingsSection, kSettingComboNameSel, 0);
}

void HostListStore::StoreSelection(int index) const
{
    m_store.WriteProfileInt(kSettingsSection, kSettingComboNameSel, index);
}

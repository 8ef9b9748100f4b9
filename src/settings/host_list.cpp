// The view's host-list operations: loading the list and its selection from the store, and the Edit
// Names and Options commands.
#include "app/prodle_app.h"
#include "engine/prodle_view.h"
#include "settings/default_domains.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

void CProdleView::FillNameCombo()
{
    const CProfileStore& store = Profile();
    m_comboNames.ResetContent();
    for (int i = 0;; ++i) {
        const CString name = store.GetProfileString(kSettingsSection, FormatString(kSettingComboNameFormat, i).c_str(), "");
        if (name.empty())
            break;
        m_comboNames.AddString(name);
    }
    if (m_comboNames.GetCount() == 0) {
        AfxMessageBox("Prodle is restoring the default domain set.", MB_OK);
        for (const char* domain : kDefaultDomains)
            m_comboNames.AddString(domain);
    }
    m_nSelIndex = store.GetProfileInt(kSettingsSection, kSettingComboNameSel, 0);
    if (m_nSelIndex < m_comboNames.GetCount()) {
        // A negative index selects nothing and leaves the text empty.
        m_comboNames.SetCurSel(m_nSelIndex);
    } else {
        m_comboNames.SetCurSel(0);
        m_nSelIndex = 0;
    }
    m_strLastDomain = m_comboNames.GetWindowText();
}

void CProdleView::OnEditNames()
{
}

void CProdleView::OnOptions()
{
}

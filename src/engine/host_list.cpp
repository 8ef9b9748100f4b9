// The view's host-list operations: loading the list and its selection from the store, and the Edit
// Names and Options commands.
#include <vector>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "framework/win_app.h"
#include "settings/default_domains.h"
#include "settings/edit_names_dlg.h"
#include "settings/host_list_store.h"
#include "settings/options_dlg.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

std::vector<CString> CProdleView::HostNames() const
{
    std::vector<CString> names;
    const int count = m_comboNames.GetCount();
    for (int i = 0; i < count; ++i)
        names.push_back(m_comboNames.GetLBText(i));
    return names;
}

void CProdleView::FillNameCombo()
{
    const HostListStore hostList(Profile());
    m_comboNames.ResetContent();
    for (const CString& name : hostList.LoadNames())
        m_comboNames.AddString(name);
    if (m_comboNames.GetCount() == 0) {
        AfxMessageBox("Prodle is restoring the default domain set.", MB_OK);
        for (const char* domain : kDefaultDomains)
            m_comboNames.AddString(domain);
    }
    m_nSelIndex = hostList.LoadSelection();
    if (m_nSelIndex < m_comboNames.GetCount()) {
        // A negative index selects nothing and leaves the text empty.
        m_comboNames.SetCurSel(m_nSelIndex);
    } else {
        m_comboNames.SetCurSel(0);
        m_nSelIndex = 0;
    }
    m_strLastDomain = m_comboNames.GetWindowText();
}

// A running cycle goes on: the prodles after its next one go to the host that is current after OK.
void CProdleView::OnEditNames()
{
    if (DeferWhileConnecting(ID_EDIT_NAMES))
        return;
    CEditNamesDlg dialog;
    dialog.m_hostNames = HostNames();
    dialog.m_strSelection = m_strLastDomain;
    if (dialog.DoModal() == IDOK)
        FillNameCombo();
}

// The new flags take effect at their next use; nothing is restarted.
void CProdleView::OnOptions()
{
    if (DeferWhileConnecting(ID_OPTIONS))
        return;
    COptionsDlg dialog;
    dialog.m_bIgnoreFailures = m_bIgnoreFailures;
    dialog.m_bRandomName = m_bRandomName;
    dialog.m_bRandomTime = m_bRandomTime;
    dialog.m_bAutoStart = m_bAutoStart;
    if (dialog.DoModal() != IDOK)
        return;
    m_bIgnoreFailures = dialog.m_bIgnoreFailures;
    m_bRandomName = dialog.m_bRandomName;
    m_bRandomTime = dialog.m_bRandomTime;
    m_bAutoStart = dialog.m_bAutoStart;
    const CProfileStore& store = Profile();
    store.WriteProfileInt(kSettingsSection, kSettingIgnore, m_bIgnoreFailures);
    store.WriteProfileInt(kSettingsSection, kSettingAutoStart, m_bAutoStart);
    store.WriteProfileInt(kSettingsSection, kSettingRandomName, m_bRandomName);
    store.WriteProfileInt(kSettingsSection, kSettingRandomTime, m_bRandomTime);
}

bool CProdleView::DeferWhileConnecting(UINT command)
{
    if (!m_bConnectPending)
        return false;
    if (m_deferredCommands.empty())
        BeginWaitCursor();  // until the dialog can open
    for (UINT deferred : m_deferredCommands) {
        if (deferred == command)
            return true;
    }
    m_deferredCommands.push_back(command);
    return true;
}

void CProdleView::RunDeferredCommands()
{
    if (m_deferredCommands.empty() || m_bConnectPending)
        return;
    EndWaitCursor();
    // Posted: the dialogs open from the message loop, once the outcome's handler has returned.
    for (UINT command : m_deferredCommands)
        PostMessage(WM_COMMAND, command, 0);
    m_deferredCommands.clear();
}

#include "settings/edit_names_dlg.h"

#include "app/prodle_app.h"
#include "app/resource.h"
#include "engine/prodle_view.h"
#include "framework/data_exchange.h"
#include "framework/frame_wnd.h"
#include "settings/default_domains.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

CEditNamesDlg::CEditNamesDlg(CWnd* parent) : CDialog(IDD_EDIT_NAMES, parent) {}

CEditNamesDlg::~CEditNamesDlg() = default;

const MessageMap* CEditNamesDlg::ThisMessageMap()
{
    using T = CEditNamesDlg;
    static const MessageMapEntry entries[] = {
        MapCommand(IDC_BUTTON_DELETE_SELECTION, &T::OnDeleteSelection),
        MapCommand(IDC_BUTTON_RESTORE_DEFAULT, &T::OnRestoreDefault),
    };
    static const MessageMap map = MakeMessageMap(nullptr, entries);
    return &map;
}

void CEditNamesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_NAMES, m_listNames);
    DDX_LBString(pDX, IDC_LIST_NAMES, m_strSelection);
}

BOOL CEditNamesDlg::OnInitDialog()
{
    // Binds the list first; it can be filled only after that.
    CDialog::OnInitDialog();

    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    auto* view = frame ? dynamic_cast<CProdleView*>(frame->GetActiveView()) : nullptr;
    if (view) {
        const int count = view->m_comboNames.GetCount();
        for (int i = 0; i < count; ++i)
            m_listNames.AddString(view->m_comboNames.GetLBText(i));
    }
    m_listNames.SetCurSel(m_listNames.FindStringExact(-1, m_strSelection));
    // The system gives the focus to the first control with a tab stop.
    return TRUE;
}

void CEditNamesDlg::OnOK()
{
    CProfileStore& store = Profile();
    const int count = m_listNames.GetCount();
    for (int i = 0; i < count; ++i)
        store.WriteProfileString(kSettingsSection, FormatString(kSettingComboNameFormat, i).c_str(),
                                 m_listNames.GetText(i).c_str());
    // Entries that dropped off the end of a shorter list are blanked, up to the old end.
    for (int i = count;; ++i) {
        const CString name = FormatString(kSettingComboNameFormat, i);
        if (store.GetProfileString(kSettingsSection, name.c_str(), "").empty())
            break;
        store.WriteProfileString(kSettingsSection, name.c_str(), "");
    }
    // The host that was current when the dialog opened keeps its selection wherever it went; when it
    // is gone, the first entry becomes current.
    int index = m_listNames.FindStringExact(-1, m_strSelection);
    if (index < 0)
        index = 0;
    m_listNames.SetCurSel(index);
    store.WriteProfileInt(kSettingsSection, kSettingComboNameSel, index);
    CDialog::OnOK();
}

void CEditNamesDlg::OnDeleteSelection()
{
    const int index = m_listNames.GetCurSel();
    if (index != LB_ERR)
        m_listNames.DeleteString(index);
}

void CEditNamesDlg::OnRestoreDefault()
{
    m_listNames.ResetContent();
    for (const char* domain : kDefaultDomains)
        m_listNames.AddString(domain);
}

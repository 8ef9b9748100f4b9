#include "settings/edit_names_dlg.h"

#include "app/resource.h"
#include "framework/data_exchange.h"
#include "settings/default_domains.h"
#include "settings/host_list_store.h"
#include "settings/profile_store.h"

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

    for (const CString& name : m_hostNames)
        m_listNames.AddString(name);
    m_listNames.SetCurSel(m_listNames.FindStringExact(-1, m_strSelection));
    // The system gives the focus to the first control with a tab stop.
    return TRUE;
}

void CEditNamesDlg::OnOK()
{
    std::vector<CString> names;
    const int count = m_listNames.GetCount();
    for (int i = 0; i < count; ++i)
        names.push_back(m_listNames.GetText(i));
    // Entries that dropped off the end of a shorter list are blanked, up to the old end.
    const HostListStore hostList(Profile());
    hostList.StoreNames(names, HostListStore::Beyond::Blank);
    // The host that was current when the dialog opened keeps its selection wherever it went; when it
    // is gone, the first entry becomes current.
    int index = m_listNames.FindStringExact(-1, m_strSelection);
    if (index < 0)
        index = 0;
    m_listNames.SetCurSel(index);
    hostList.StoreSelection(index);
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

#include "settings/edit_names_dlg.h"

#include "app/resource.h"
#include "framework/data_exchange.h"
#include "settings/default_hosts.h"

CEditNamesDlg::CEditNamesDlg(CWnd* parent) : CDialog(IDD_EDIT_NAMES, parent)
{
}

CEditNamesDlg::~CEditNamesDlg() = default;

const MessageMap* CEditNamesDlg::ThisMessageMap()
{
    using T = CEditNamesDlg;
    static const MessageMapEntry entries[] = {
        MapCommand<&T::OnDeleteSelection>(IDC_BUTTON_DELETE_SELECTION),
        MapCommand<&T::OnRestoreDefault>(IDC_BUTTON_RESTORE_DEFAULT),
    };
    static const MessageMap map = MakeMessageMap(CDialog::ThisMessageMap(), entries);
    return &map;
}

void CEditNamesDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_HOSTS, m_listHosts);
    DDX_LBString(pDX, IDC_LIST_HOSTS, m_strSelection);
}

bool CEditNamesDlg::OnInitDialog()
{
    // Binds the list first; it can be filled only after that.
    CDialog::OnInitDialog();

    ShowHosts(m_hosts);
    m_listHosts.SetCurSel(m_listHosts.FindStringExact(-1, m_strSelection));
    // The system gives the focus to the first control with a tab stop.
    return true;
}

void CEditNamesDlg::OnOK()
{
    m_hosts.clear();
    const int count = m_listHosts.GetCount();
    for (int i = 0; i < count; ++i)
        m_hosts.push_back(m_listHosts.GetText(i));
    // The host that was current when the dialog opened keeps its selection wherever it went; when it
    // is gone, the first entry becomes current.
    m_nSelected = m_listHosts.FindStringExact(-1, m_strSelection);
    if (m_nSelected < 0)
        m_nSelected = 0;
    m_listHosts.SetCurSel(m_nSelected);
    CDialog::OnOK();
}

void CEditNamesDlg::OnDeleteSelection()
{
    const int index = m_listHosts.GetCurSel();
    if (index != LB_ERR)
        m_listHosts.DeleteString(index);
}

void CEditNamesDlg::OnRestoreDefault()
{
    ShowHosts(DefaultHosts());
}

void CEditNamesDlg::ShowHosts(const std::vector<CString>& hosts)
{
    m_listHosts.ResetContent();
    for (const CString& host : hosts)
        m_listHosts.AddString(host);
}

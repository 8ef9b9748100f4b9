#include "settings/options_dlg.h"

#include "app/resource.h"
#include "framework/data_exchange.h"

COptionsDlg::COptionsDlg(CWnd* parent) : CDialog(IDD_OPTIONS, parent) {}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_CHECK_AUTO_START, m_bAutoStart);
    DDX_Check(pDX, IDC_CHECK_RANDOM_NAME, m_bRandomName);
    DDX_Check(pDX, IDC_CHECK_RANDOM_TIME, m_bRandomTime);
    DDX_Check(pDX, IDC_CHECK_IGNORE_FAILURES, m_bIgnoreFailures);
}

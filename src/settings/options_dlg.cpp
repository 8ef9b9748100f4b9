#include "settings/options_dlg.h"

#include "app/resource.h"
#include "framework/data_exchange.h"

COptionsDlg::COptionsDlg(CWnd* parent) : CDialog(IDD_OPTIONS, parent)
{
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_CHECK_AUTO_START, m_options.autoStart);
    DDX_Check(pDX, IDC_CHECK_RANDOM_NAME, m_options.randomHost);
    DDX_Check(pDX, IDC_CHECK_RANDOM_TIME, m_options.randomTime);
    DDX_Check(pDX, IDC_CHECK_IGNORE_FAILURES, m_options.ignoreFailures);
}

#include "ui/about_dlg.h"

#include "app/resource.h"
#include "framework/data_exchange.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX)
{
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_STATIC_IP_ADDRESS, m_strIPAddress);
    DDX_Text(pDX, IDC_STATIC_TIME_SINCE, m_strTimeSinceLaunch);
}

bool CAboutDlg::OnInitDialog()
{
    m_linkMail.SubclassDlgItem(IDC_STATIC_MAIL_LINK, this);
    m_linkWeb.SubclassDlgItem(IDC_STATIC_WEB_LINK, this);
    m_linkMail.m_pbVisited = m_pbMailLinkVisited;
    m_linkWeb.m_pbVisited = m_pbWebLinkVisited;
    CDialog::OnInitDialog();
    return true;
}

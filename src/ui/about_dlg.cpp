#include "ui/about_dlg.h"

#include "app/prodle_app.h"
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

BOOL CAboutDlg::OnInitDialog()
{
    m_linkMail.SubclassDlgItem(IDC_STATIC_MAIL_LINK, this);
    m_linkWeb.SubclassDlgItem(IDC_STATIC_WEB_LINK, this);
    // The flags live on the application object, so a followed link stays purple in later boxes.
    m_linkMail.m_pbVisited = &GetProdleApp()->m_bMailLinkVisited;
    m_linkWeb.m_pbVisited = &GetProdleApp()->m_bWebLinkVisited;
    CDialog::OnInitDialog();
    return TRUE;
}

// The About box: fixed texts, the computer's current IP address and the time since launch (both taken
// when the box opens), and two hyperlinks whose visited state the application object keeps for the run.
#ifndef PRODLE_UI_ABOUT_DLG_H
#define PRODLE_UI_ABOUT_DLG_H

#include "framework/dialog.h"
#include "ui/static_link.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    CStaticLink m_linkMail;
    CStaticLink m_linkWeb;
    CString m_strIPAddress;
    CString m_strTimeSinceLaunch;
    // The links' visited flags, set by the caller: they outlive the box, so that a followed link stays
    // purple in later boxes.
    bool* m_pbMailLinkVisited = nullptr;
    bool* m_pbWebLinkVisited = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
};

#endif

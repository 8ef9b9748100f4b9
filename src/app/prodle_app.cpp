#include "app/prodle_app.h"

#include <cstdlib>

#include "app/main_frame.h"
#include "app/prodle_doc.h"
#include "app/resource.h"
#include "app/single_instance.h"
#include "form/prodle_view.h"
#include "framework/document.h"
#include "settings/profile_store.h"
#include "ui/about_dlg.h"
#include "ui/rules/about_texts.h"

CProdleApp* GetProdleApp()
{
    return static_cast<CProdleApp*>(AfxGetApp());
}

CProfileStore& Profile()
{
    return *GetProdleApp()->m_pProfileStore;
}

namespace {

void ShowAbout(const CString& localAddress, DWORD launchTick)
{
    GetProdleApp()->OnAppAbout(localAddress, launchTick);
}

CView* NewProdleView()
{
    return new CProdleView(&ShowAbout);
}

// "/exit" (the uninstaller's): end the running Prodle of this user, and start none.
bool CommandLineAsksToExit()
{
    for (int i = 1; i < __argc; ++i)
        if (::lstrcmpiA(__argv[i], "/exit") == 0)
            return true;
    return false;
}

}  // namespace

bool CProdleApp::InitInstance()
{
    if (CommandLineAsksToExit()) {
        // Quietly: the uninstaller asks, often with no one to read a box.
        if (m_singleInstance.Send(CSingleInstance::kExit, CMainFrame::kClassName) ==
            CSingleInstance::Outcome::NoAnswer)
            m_nExitCode = 1;
        return false;
    }
    // A second start brings the running Prodle's form up and ends; if that one has just ended, this
    // start takes its place.
    if (!m_singleInstance.Claim()) {
        const auto outcome = m_singleInstance.Send(CSingleInstance::kShowForm, CMainFrame::kClassName);
        if (outcome == CSingleInstance::Outcome::NoAnswer) {
            AfxMessageBox("Prodle is already running but does not answer. Wait a moment and start it again, "
                          "or end prodle.exe in Task Manager.",
                          MB_OK | MB_ICONEXCLAMATION);
            m_nExitCode = 1;
            return false;
        }
        if (outcome == CSingleInstance::Outcome::Done || !m_singleInstance.Claim())
            return false;
    }
    m_pProfileStore = new CProfileStore;
    const CString baseKey = "Software\\Quendar Software\\" + m_strAppName;
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (m_pProfileStore->Create(&key, &disposition, HKEY_LOCAL_MACHINE, baseKey)) {
        // The legacy INI file is read only when the key is new: the first start on this machine.
        if (disposition == REG_CREATED_NEW_KEY)
            m_pProfileStore->ImportIniFile(key);
        ::RegCloseKey(key);
    }

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, NewObject<CDocument, CProdleDoc>,
                                          NewObject<CFrameWnd, CMainFrame>, &NewProdleView));
    return OnFileNew();
}

int CProdleApp::ExitInstance()
{
    delete m_pProfileStore;
    m_pProfileStore = nullptr;
    m_singleInstance.Release();
    return CWinApp::ExitInstance();
}

void CProdleApp::OnAppAbout(const CString& localAddress, DWORD launchTick)
{
    CAboutDlg aboutDlg;
    aboutDlg.m_pbMailLinkVisited = &m_bMailLinkVisited;
    aboutDlg.m_pbWebLinkVisited = &m_bWebLinkVisited;
    // Both values are taken now and stay as they are while the box is open.
    aboutDlg.m_strIPAddress = localAddress;
    aboutDlg.m_strTimeSinceLaunch = FormatTimeSinceLaunch(::GetTickCount(), launchTick);
    aboutDlg.DoModal();
}

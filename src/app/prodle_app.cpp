#include "app/prodle_app.h"

#include <cstdlib>

#include "app/main_frame.h"
#include "app/prodle_doc.h"
#include "app/resource.h"
#include "app/single_instance.h"
#include "app/vista_features.h"
#include "form/prodle_view.h"
#include "framework/document.h"
#include "settings/profile_store.h"
#include "tray/tray_notify_icon.h"
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

// The program takes no options; these switches serve the installer's own entries alone.
// "/exit" (the uninstaller's): end the running Prodle of this user, and start none.
constexpr char kExitSwitch[] = "/exit";
// "/login" (the log-in entry's, and Windows' start again after an update): start Prodle unless it
// runs; one that runs is left as it is, its window hidden.
constexpr char kLoginSwitch[] = "/login";
constexpr wchar_t kLoginSwitchW[] = L"/login";

bool CommandLineHas(const char* option)
{
    for (int i = 1; i < __argc; ++i)
        if (::lstrcmpiA(__argv[i], option) == 0)
            return true;
    return false;
}

}  // namespace

bool CProdleApp::InitInstance()
{
    if (CommandLineHas(kExitSwitch)) {
        // Quietly: the uninstaller asks, often with no one to read a box.
        if (m_singleInstance.Send(CSingleInstance::kExit, CMainFrame::kClassName) ==
            CSingleInstance::Outcome::NoAnswer)
            m_nExitCode = 1;
        return false;
    }
    // A second start brings the running Prodle's form up and ends; one from the log-in entry (beside a
    // shortcut in the Startup folder, say) only ends. If the running one has just ended, this start
    // takes its place.
    if (!m_singleInstance.Claim()) {
        if (CommandLineHas(kLoginSwitch) && m_singleInstance.IsHeld())
            return false;
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
    if (!OnFileNew())
        return false;
    // An elevated Prodle (started by an installer run as administrator) still hears a new taskbar and
    // the later starts of the user's programs that are not elevated.
    LetThroughMessageFilter(m_pMainWnd->m_hWnd,
                            {CTrayNotifyIcon::TaskbarCreatedMessage(), CSingleInstance::Message()});
    // Closed for an update, it comes back as from the log-in entry, also if the user started one since.
    RegisterRestartAfterUpdate(kLoginSwitchW);
    m_singleInstance.MarkReady();
    return true;
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
    aboutDlg.m_strIPAddress = AboutAddressText(localAddress);
    aboutDlg.m_strTimeSinceLaunch = FormatTimeSinceLaunch(::GetTickCount(), launchTick);
    aboutDlg.DoModal();
}

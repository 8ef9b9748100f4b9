#include "engine/prodle_view.h"

#include "app/resource.h"
#include "framework/data_exchange.h"
#include "framework/frame_wnd.h"
#include "framework/win_app.h"
#include "settings/default_hosts.h"
#include "settings/edit_names_dlg.h"
#include "settings/host_list_store.h"
#include "settings/keep_alive_options.h"
#include "settings/options_dlg.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

CProdleView::CProdleView(ShowAboutFunction showAbout)
    : CFormView(IDD_PRODLE_FORM), m_showAbout(showAbout), m_engine(*this)
{
    // One second's pause after starting Windows Sockets, whatever its result: the program has always
    // given the sockets layer (on a dial-up machine, its dialler) this moment before using it, and the
    // start-up users see (an auto-started cycle about two seconds after launch) is timed with it.
    AfxGetApp()->Pause(1000);
    if (!m_sockets.Started())
        AfxMessageBox("Prodle: WSAStartup failed", MB_OK);
    m_engine.SetOptions(OptionsStore(Profile()).Load());
    m_engine.NoteLaunch();
}

CProdleView::~CProdleView() = default;

const MessageMap* CProdleView::ThisMessageMap()
{
    using T = CProdleView;
    static const MessageMapEntry entries[] = {
        MapCommand<&T::OnStartButton>(IDC_BUTTON_START),
        MapCommand<&T::OnCloseWindow>(IDC_BUTTON_CLOSE_WINDOW),
        MapCommand<&T::OnExitProdle>(IDC_BUTTON_EXIT),
        MapCommand<&T::OnTrayRestore>(ID_TRAY_RESTORE),
        MapCommand<&T::OnExitProdle>(ID_TRAY_EXIT),
        MapCommand<&T::OnAppAbout>(ID_APP_ABOUT),
        MapCommand<&T::OnEditNames>(ID_EDIT_NAMES),
        MapCommand<&T::OnOptions>(ID_OPTIONS),
        MapMessage<&T::OnTrayNotification>(WM_PRODLE_TRAY_CALLBACK),
        MapMessage<&T::OnSocketNews>(WM_PRODLE_SOCKET),
        MapMessage<&T::OnHostLookup>(WM_PRODLE_HOST_LOOKUP),
        MapMessage<&T::OnLocalLookup>(WM_PRODLE_LOCAL_LOOKUP),
        MapMessage<&T::OnConnectLookup>(WM_PRODLE_CONNECT_LOOKUP),
        MapMessage<&T::OnPowerBroadcast>(WM_POWERBROADCAST),
        MapMessage<&T::OnTimer>(WM_TIMER),
        MapMessage<&T::OnDestroy>(WM_DESTROY),
    };
    static const MessageMap map = MakeMessageMap(CFormView::ThisMessageMap(), entries);
    return &map;
}

void CProdleView::DoDataExchange(CDataExchange* pDX)
{
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BUTTON_START, m_btnStart);
    DDX_Control(pDX, IDC_COMBO_HOSTS, m_comboHosts);
    DDX_Control(pDX, IDC_EDIT_OFTEN, m_editMinutes);
    DDX_Control(pDX, IDC_STATIC_NEXT_LABEL, m_staticNextLabel);
    DDX_Control(pDX, IDC_STATIC_COUNTDOWN, m_staticCountdown);
    DDX_Control(pDX, IDC_STATIC_STATUS, m_staticStatus);
}

void CProdleView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    m_engine.Attach(m_hWnd);

    // The tray's pictures in the small-icon size, drawn for it rather than shrunk by the shell.
    if (!m_trayIcon.Create(this, ID_TRAY_ICON, "Prodle", AfxGetApp()->LoadSmallIcon(IDI_RUNNING),
                           WM_PRODLE_TRAY_CALLBACK))
        AfxMessageBox("Failed to create tray icon", MB_OK | MB_ICONHAND);
    // Also without an icon yet: a notification area that comes later gets the current picture.
    const bool autoStart = m_engine.Options().autoStart;
    if (!autoStart)
        ShowTrayPicture(TrayPicture::Stopped);

    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd()))
        frame->FitAndLockSize(FrameRect());

    m_btnStart.EnableWindow(TRUE);
    const CString often = Profile().GetProfileString(kSettingsSection, kSettingOften, "25");
    m_editMinutes.SetWindowText(often);
    m_engine.RestoreMinutes(often);
    LoadHostList();
    ShowStatus("PLEASE START ME");
    if (autoStart)
        m_engine.ArmAutoStart();
}

RECT CProdleView::FrameRect() const
{
    RECT frame, start, close;
    AfxGetMainWnd()->GetWindowRect(&frame);
    ::GetWindowRect(GetDlgItem(IDC_BUTTON_START), &start);
    ::GetWindowRect(GetDlgItem(IDC_BUTTON_CLOSE_WINDOW), &close);
    const int startWidth = start.right - start.left;
    const int startHeight = start.bottom - start.top;
    const int closeHeight = close.bottom - close.top;
    return RECT{frame.left, frame.top, frame.left + startWidth + 2 * startHeight,
                close.bottom + closeHeight + closeHeight / 2 + 10};
}

bool CProdleView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A new notification area, which the frame passes on: the icon goes (back) into it.
    if (message == CTrayNotifyIcon::TaskbarCreatedMessage()) {
        m_trayIcon.Restore();
        *result = 0;
        return true;
    }
    return CFormView::OnWndMsg(message, wParam, lParam, result);
}

// ---- Commands -------------------------------------------------------------------------------------

void CProdleView::OnStartButton()
{
    ToEngine([this] { m_engine.Start(); });
}

void CProdleView::OnCloseWindow()
{
    AfxGetMainWnd()->ShowWindow(SW_HIDE);
}

void CProdleView::OnExitProdle()
{
    AfxGetMainWnd()->SendMessage(WM_CLOSE, 0, 0);
}

void CProdleView::OnTrayRestore()
{
    AfxGetMainWnd()->ShowWindow(SW_SHOW);
    AfxGetMainWnd()->SetForegroundWindow();
}

void CProdleView::OnAppAbout()
{
    if (m_showAbout)
        m_showAbout(m_engine.LocalAddress(), m_engine.LaunchTick());
}

LRESULT CProdleView::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    return m_trayIcon.OnTrayCallback(wParam, lParam);
}

// A running cycle goes on: the prodles after its next one go to the host that is current after OK.
void CProdleView::OnEditNames()
{
    if (DeferWhileConnecting(ID_EDIT_NAMES))
        return;
    CEditNamesDlg dialog;
    dialog.m_hosts = Hosts();
    dialog.m_strSelection = m_engine.CurrentHost();
    if (dialog.DoModal() != IDOK)
        return;
    // Entries that dropped off the end of a shorter list are blanked, up to the old end.
    const HostListStore store(Profile());
    store.StoreHosts(dialog.m_hosts, HostListStore::Beyond::Blank);
    store.StoreSelection(dialog.m_nSelected);
    LoadHostList();
}

// The new flags take effect at their next use; nothing is restarted.
void CProdleView::OnOptions()
{
    if (DeferWhileConnecting(ID_OPTIONS))
        return;
    COptionsDlg dialog;
    dialog.m_options = m_engine.Options();
    if (dialog.DoModal() != IDOK)
        return;
    OptionsStore(Profile()).Store(dialog.m_options);
    m_engine.SetOptions(dialog.m_options);
}

// ---- The engine's messages ------------------------------------------------------------------------

template <class Event>
void CProdleView::ToEngine(Event&& event)
{
    ++m_engineEventDepth;
    event();
    --m_engineEventDepth;
    // Not from within a box's loop: the dialogs open once what the box interrupted is through.
    if (m_engineEventDepth == 0)
        RunDeferredCommands();
}

void CProdleView::OnTimer(UINT_PTR id)
{
    Default();
    ToEngine([this, id] { m_engine.OnTimer(id); });
}

LRESULT CProdleView::OnSocketNews(WPARAM wParam, LPARAM lParam)
{
    ToEngine([&] { m_engine.OnSocketNews(wParam, lParam); });
    return 0;
}

LRESULT CProdleView::OnLocalLookup(WPARAM wParam, LPARAM lParam)
{
    ToEngine([&] { m_engine.OnLookupAnswer(WM_PRODLE_LOCAL_LOOKUP, wParam, lParam); });
    return 0;
}

LRESULT CProdleView::OnHostLookup(WPARAM wParam, LPARAM lParam)
{
    ToEngine([&] { m_engine.OnLookupAnswer(WM_PRODLE_HOST_LOOKUP, wParam, lParam); });
    return 0;
}

LRESULT CProdleView::OnConnectLookup(WPARAM wParam, LPARAM lParam)
{
    ToEngine([&] { m_engine.OnLookupAnswer(WM_PRODLE_CONNECT_LOOKUP, wParam, lParam); });
    return 0;
}

LRESULT CProdleView::OnPowerBroadcast(WPARAM wParam, LPARAM)
{
    ToEngine([&] { m_engine.OnPowerEvent(wParam); });
    return TRUE;
}

void CProdleView::OnDestroy()
{
    // A box may be up, whose caller must find the view gone when it returns.
    m_destroyed = true;
    if (!m_deferredCommands.empty()) {
        m_deferredCommands.clear();
        EndWaitCursor();
    }
    m_engine.Shutdown();
    CFormView::OnDestroy();
}

bool CProdleView::DeferWhileConnecting(UINT command)
{
    if (!m_engine.IsConnecting())
        return false;
    if (m_deferredCommands.empty())
        BeginWaitCursor();  // until the dialog can open
    for (UINT deferred : m_deferredCommands) {
        if (deferred == command)
            return true;
    }
    m_deferredCommands.push_back(command);
    return true;
}

void CProdleView::RunDeferredCommands()
{
    if (m_deferredCommands.empty() || m_destroyed || m_engine.IsConnecting())
        return;
    EndWaitCursor();
    // Posted: the dialogs open from the message loop, once the handler of the outcome has returned.
    for (UINT command : m_deferredCommands)
        PostMessage(WM_COMMAND, command, 0);
    m_deferredCommands.clear();
}

// ---- Host list ------------------------------------------------------------------------------------

std::vector<CString> CProdleView::Hosts() const
{
    std::vector<CString> hosts;
    const int count = m_comboHosts.GetCount();
    for (int i = 0; i < count; ++i)
        hosts.push_back(m_comboHosts.GetLBText(i));
    return hosts;
}

void CProdleView::ShowHosts(const std::vector<CString>& hosts)
{
    m_comboHosts.ResetContent();
    for (const CString& host : hosts)
        m_comboHosts.AddString(host);
}

void CProdleView::LoadHostList()
{
    const HostListStore store(Profile());
    std::vector<CString> hosts = store.LoadHosts();
    if (hosts.empty()) {
        // Shown, not stored: the set reaches the store like any list, with a successful prodle or OK in
        // Edit Names.
        AfxMessageBox("Prodle is restoring the default domain set.", MB_OK);
        hosts = DefaultHosts();
    }
    ShowHosts(hosts);
    // A stored index beyond the list selects the first entry; a negative one selects nothing.
    const int selected = store.LoadSelection();
    m_comboHosts.SetCurSel(selected < static_cast<int>(hosts.size()) ? selected : 0);
    m_engine.HostListChanged();
}

// ---- KeepAliveFrontEnd ----------------------------------------------------------------------------

void CProdleView::ShowTrayPicture(TrayPicture picture)
{
    switch (picture) {
    case TrayPicture::Running:
        m_trayIcon.SetIcon(IDI_RUNNING);
        break;
    case TrayPicture::Stopped:
        m_trayIcon.SetIcon(IDI_STOPPED);
        break;
    case TrayPicture::InFlight:
        m_trayIcon.SetIcon(IDI_IN_FLIGHT);
        break;
    }
}

void CProdleView::StopFlashing()
{
    AfxGetMainWnd()->FlashWindow(FALSE);
}

bool CProdleView::ShowError(const CString& text)
{
    AfxMessageBox(text, MB_OK);
    return !m_destroyed;
}

void CProdleView::StoreConnection(const CString& often, const std::vector<CString>& hosts, int selected)
{
    Profile().WriteProfileString(kSettingsSection, kSettingOften, often.c_str());
    // Entries stored beyond the list are left alone.
    const HostListStore store(Profile());
    store.StoreHosts(hosts, HostListStore::Beyond::Keep);
    store.StoreSelection(selected);
}

void CProdleView::StoreIgnoreFailuresOff()
{
    OptionsStore(Profile()).StoreIgnoreFailures(false);
}

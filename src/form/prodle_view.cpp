#include "form/prodle_view.h"

#include <ctime>

#include "app/resource.h"
#include "form/form_ids.h"
#include "framework/data_exchange.h"
#include "framework/frame_wnd.h"
#include "framework/win_app.h"
#include "settings/default_hosts.h"
#include "settings/edit_names_dlg.h"
#include "settings/options_dlg.h"
#include "settings/profile_store.h"

CProdleView::CProdleView(ShowAboutFunction showAbout)
    : CFormView(IDD_PRODLE_FORM), m_showAbout(showAbout), m_settings(Profile(), *this, m_journal)
{
    // One second's pause after starting Windows Sockets, whatever its result: the program has always
    // given the sockets layer (on a dial-up machine, its dialler) this moment before using it, and the
    // start-up users see (an auto-started cycle about two seconds after launch) is timed with it.
    AfxGetApp()->Pause(1000);
    if (!m_sockets.Started())
        AfxMessageBox("Prodle: WSAStartup failed", MB_OK);
    // The launch that every box quotes is this moment, whatever boxes come before the engine is made.
    m_launchTime = m_clock.TimeOfDay();
    m_launchTick = ::GetTickCount();
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
        MapCommand<&T::OnOpenLog>(ID_TRAY_OPEN_LOG),
        MapCommand<&T::OnHistory>(ID_HISTORY),
        MapCommand<&T::OnExitProdle>(ID_TRAY_EXIT),
        MapCommand<&T::OnAppAbout>(ID_APP_ABOUT),
        MapCommand<&T::OnEditNames>(ID_EDIT_NAMES),
        MapCommand<&T::OnOptions>(ID_OPTIONS),
        MapNotify<&T::OnHostPicked>(IDC_COMBO_HOSTS, CBN_SELCHANGE),
        MapMessage<&T::OnTrayNotification>(WM_PRODLE_TRAY_CALLBACK),
        MapMessage<&T::OnSocketNews>(WM_PRODLE_SOCKET),
        MapMessage<&T::OnHostLookup>(WM_PRODLE_HOST_LOOKUP),
        MapMessage<&T::OnLocalLookup>(WM_PRODLE_LOCAL_LOOKUP),
        MapMessage<&T::OnConnectLookup>(WM_PRODLE_CONNECT_LOOKUP),
        MapMessage<&T::OnShowBox>(WM_PRODLE_SHOW_BOX),
        MapMessage<&T::OnPowerBroadcast>(WM_POWERBROADCAST),
        MapMessage<&T::OnAddressNotice>(WM_PRODLE_ADDRESS_NOTICE),
        MapMessage<&T::OnNetworkChange>(WM_PRODLE_NETWORK_CHANGE),
        MapMessage<&T::OnFrameShown>(kFrameShown),
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
    m_clock.Attach(m_hWnd);

    // The tray's pictures in the small-icon size, drawn for it rather than shrunk by the shell.
    if (!m_trayIcon.Create(this, ID_TRAY_ICON, "Prodle", AfxGetApp()->LoadSmallIcon(IDI_RUNNING),
                           WM_PRODLE_TRAY_CALLBACK))
        AfxMessageBox("Failed to create tray icon", MB_OK | MB_ICONHAND);
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd()))
        frame->FitAndLockSize(FrameRect());

    KeepAliveEngine::Parameters parameters;
    parameters.defaultHosts = DefaultHosts();
    parameters.seed = static_cast<unsigned>(std::time(nullptr));
    parameters.launchTime = m_launchTime;
    m_engine = std::make_unique<KeepAliveEngine>(
        Ports{m_clock, m_network, *this, m_settings, m_journal, m_history}, m_settings.Load(), parameters);
    m_network.Attach(m_hWnd, m_engine.get());
    m_networkWatch.Start(m_hWnd);
    // Power notices go to top-level windows; the frame passes them on.
    m_powerNotices.Register(AfxGetMainWnd()->m_hWnd, m_displayWake.Watches());
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

bool CProdleView::PreTranslateMessage(MSG* msg)
{
    if (m_historyWindow && m_historyWindow->PreTranslateMessage(msg))
        return true;
    return CFormView::PreTranslateMessage(msg);
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

// ---- The user's commands --------------------------------------------------------------------------

void CProdleView::OnStartButton()
{
    m_engine->Start();
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

void CProdleView::OnOpenLog()
{
    // Opened with whatever opens text files; a beep when there is nothing to open yet.
    const HINSTANCE result = AfxGetApp()->ShellOpenFile(m_journal.Path());
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        AfxGetApp()->DoMessageBeep(MB_ICONEXCLAMATION);
}

// One History window at a time: a second command brings the open one to the front.
void CProdleView::OnHistory()
{
    if (!m_historyWindow || !m_historyWindow->IsOpen())
        m_historyWindow = std::make_unique<HistoryWindow>(m_history, [this] { OnOpenLog(); });
    m_historyWindow->Open();
}

void CProdleView::OnAppAbout()
{
    if (m_showAbout)
        m_showAbout(m_engine->LocalAddress(), m_launchTick);
}

// A running cycle goes on: the prodles after its next one go to the host that is current after OK.
void CProdleView::OnEditNames()
{
    CEditNamesDlg dialog;
    dialog.m_hosts = m_engine->Hosts().Entries();
    dialog.m_strSelection = m_engine->CurrentHost();
    if (dialog.DoModal() == IDOK && !m_destroyed)
        m_engine->ConfirmHostList(dialog.m_hosts, dialog.m_nSelected);
}

// The new flags take effect at their next use; nothing is restarted.
void CProdleView::OnOptions()
{
    COptionsDlg dialog;
    dialog.m_options = m_engine->Options();
    if (dialog.DoModal() == IDOK && !m_destroyed)
        m_engine->ConfirmOptions(dialog.m_options);
}

void CProdleView::OnHostPicked()
{
    if (m_engine)
        m_engine->PickHost(m_comboHosts.GetCurSel());
}

LRESULT CProdleView::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    // A pointer on the icon: its tip, about to show, must tell the time left, and keep telling it while
    // the pointer rests there.
    if (lParam == WM_MOUSEMOVE && m_engine) {
        ::GetCursorPos(&m_tipPointer);
        m_tipShown = true;
        m_engine->OnTrayTipShown(true);
    }
    return m_trayIcon.OnTrayCallback(wParam, lParam);
}

// ---- What happens meanwhile -----------------------------------------------------------------------

void CProdleView::OnTimer(UINT_PTR id)
{
    if (m_networkWatch.OnTimer(id) || m_network.OnTimer(id))
        return;
    if (m_clock.TakeWake(id)) {
        if (m_engine)
            m_engine->OnWake();
        return;
    }
    Default();
}

LRESULT CProdleView::OnSocketNews(WPARAM wParam, LPARAM lParam)
{
    m_network.OnSocketNews(wParam, lParam);
    return 0;
}

LRESULT CProdleView::OnLocalLookup(WPARAM wParam, LPARAM lParam)
{
    m_network.OnLookupAnswer(WM_PRODLE_LOCAL_LOOKUP, wParam, lParam);
    return 0;
}

LRESULT CProdleView::OnHostLookup(WPARAM wParam, LPARAM lParam)
{
    m_network.OnLookupAnswer(WM_PRODLE_HOST_LOOKUP, wParam, lParam);
    return 0;
}

LRESULT CProdleView::OnConnectLookup(WPARAM wParam, LPARAM lParam)
{
    m_network.OnLookupAnswer(WM_PRODLE_CONNECT_LOOKUP, wParam, lParam);
    return 0;
}

LRESULT CProdleView::OnPowerBroadcast(WPARAM wParam, LPARAM lParam)
{
    if (!m_engine)
        return TRUE;
    const std::optional<bool> displayOn = PowerNotices::DisplayOn(wParam, lParam);
    if (wParam == PBT_APMSUSPEND) {
        m_engine->OnSuspend();
    } else if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND ||
               wParam == PBT_APMRESUMECRITICAL) {
        m_engine->OnResume();
    } else if (displayOn && m_displayWake.OnDisplay(*displayOn)) {
        m_engine->OnResume();
    }
    return TRUE;
}

LRESULT CProdleView::OnAddressNotice(WPARAM, LPARAM)
{
    m_networkWatch.OnNotice();
    return 0;
}

LRESULT CProdleView::OnNetworkChange(WPARAM, LPARAM)
{
    if (m_engine)
        m_engine->OnNetworkChanged();
    return 0;
}

LRESULT CProdleView::OnFrameShown(WPARAM wParam, LPARAM)
{
    if (m_engine)
        m_engine->OnFormShown(wParam != FALSE);
    return 0;
}

void CProdleView::OnDestroy()
{
    // A box may be up, whose closing must find the engine ended.
    m_destroyed = true;
    m_boxes.clear();
    m_historyWindow.reset();
    if (m_engine)
        m_engine->Shutdown();
    CFormView::OnDestroy();
}

// ---- Display --------------------------------------------------------------------------------------

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

void CProdleView::ShowTrayTip(const std::string& tip)
{
    // The engine tells the tip after every event; the shell hears only of a change.
    if (tip != m_shownTip) {
        m_shownTip = tip;
        m_trayIcon.SetTip(tip.c_str());
    }
    // Once a second while the tip shows: a pointer that has moved off the icon has closed it.
    POINT pointer = {};
    if (m_tipShown && ::GetCursorPos(&pointer) &&
        (pointer.x != m_tipPointer.x || pointer.y != m_tipPointer.y)) {
        m_tipShown = false;
        m_engine->OnTrayTipShown(false);
    }
}

void CProdleView::StopFlashing()
{
    AfxGetMainWnd()->FlashWindow(FALSE);
}

void CProdleView::ShowCountdown(const std::string& text)
{
    if (text == m_shownCountdown)
        return;
    m_shownCountdown = text;
    m_staticCountdown.SetWindowText(text);
}

void CProdleView::ShowWaiting(bool waiting)
{
    if (waiting == m_waitShown)
        return;
    m_waitShown = waiting;
    if (waiting)
        BeginWaitCursor();
    else
        EndWaitCursor();
}

void CProdleView::ShowHosts(const std::vector<std::string>& hosts, int selected)
{
    m_comboHosts.ResetContent();
    for (const std::string& host : hosts)
        m_comboHosts.AddString(host);
    m_comboHosts.SetCurSel(selected);
}

void CProdleView::ReportFault(const std::string& text)
{
    ::OutputDebugStringA((text + "\n").c_str());
}

void CProdleView::QueueBox(const std::string& text, bool answered)
{
    m_boxes.push_back({text, answered});
    if (!m_boxUp)
        PostMessage(WM_PRODLE_SHOW_BOX);
}

LRESULT CProdleView::OnShowBox(WPARAM, LPARAM)
{
    if (m_boxUp || m_boxes.empty())
        return 0;
    const PendingBox box = m_boxes.front();
    m_boxes.pop_front();
    m_boxUp = true;
    AfxMessageBox(box.text, MB_OK);
    m_boxUp = false;
    if (m_destroyed)
        return 0;
    if (box.answered)
        m_engine->OnBoxClosed();
    if (!m_boxes.empty())
        PostMessage(WM_PRODLE_SHOW_BOX);
    return 0;
}

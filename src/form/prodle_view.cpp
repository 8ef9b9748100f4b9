#include "form/prodle_view.h"

#include "app/resource.h"
#include "form/form_ids.h"
#include "framework/data_exchange.h"
#include "framework/frame_wnd.h"
#include "framework/win_app.h"
#include "settings/edit_names_dlg.h"
#include "settings/options_dlg.h"

CProdleView::CProdleView(ShowAboutFunction showAbout)
    : CFormView(IDD_PRODLE_FORM), m_showAbout(showAbout), m_root(*this, *this)
{
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

    m_tray.Create(this);
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd()))
        frame->FitAndLockSize(FrameRect());

    // Power notices go to top-level windows; the frame passes them on.
    m_root.Start(AfxGetMainWnd()->m_hWnd);
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
    return m_root.PreTranslateMessage(msg) || CFormView::PreTranslateMessage(msg);
}

bool CProdleView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A new notification area, which the frame passes on: the icon goes (back) into it.
    if (message == CTrayNotifyIcon::TaskbarCreatedMessage()) {
        m_tray.OnTaskbarCreated();
        *result = 0;
        return true;
    }
    // The root's own messages, and sleep and wake, which the frame passes on.
    if (m_root.OnMessage(message, wParam, lParam, result))
        return true;
    return CFormView::OnWndMsg(message, wParam, lParam, result);
}

// ---- The user's commands --------------------------------------------------------------------------

void CProdleView::OnStartButton()
{
    KeepAlive().Start();
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
    m_root.OpenLog();
}

void CProdleView::OnHistory()
{
    m_root.OpenHistory();
}

void CProdleView::OnAppAbout()
{
    if (m_showAbout)
        m_showAbout(Engine()->LocalAddress(), m_root.LaunchTick());
}

// A running cycle goes on: the prodles after its next one go to the host that is current after OK.
void CProdleView::OnEditNames()
{
    CEditNamesDlg dialog;
    dialog.m_hosts = KeepAlive().Hosts().Entries();
    dialog.m_strSelection = KeepAlive().CurrentHost();
    if (dialog.DoModal() == IDOK && !m_destroyed)
        KeepAlive().ConfirmHostList(dialog.m_hosts, dialog.m_nSelected);
}

// The new flags take effect at their next use; nothing is restarted.
void CProdleView::OnOptions()
{
    COptionsDlg dialog;
    dialog.m_options = KeepAlive().Options();
    if (dialog.DoModal() == IDOK && !m_destroyed)
        KeepAlive().ConfirmOptions(dialog.m_options);
}

void CProdleView::OnHostPicked()
{
    if (Engine())
        KeepAlive().PickHost(m_comboHosts.GetCurSel());
}

LRESULT CProdleView::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    return m_tray.OnCallback(wParam, lParam);
}

// ---- What happens meanwhile -----------------------------------------------------------------------

void CProdleView::OnTimer(UINT_PTR id)
{
    if (!m_tray.OnTimer(id))
        Default();
}

LRESULT CProdleView::OnFrameShown(WPARAM wParam, LPARAM)
{
    if (Engine())
        KeepAlive().OnFormShown(wParam != FALSE);
    return 0;
}

void CProdleView::OnDestroy()
{
    m_destroyed = true;
    m_root.End();
    CFormView::OnDestroy();
}

// ---- Display --------------------------------------------------------------------------------------

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

// A user who cannot see the form is not stopped by a box: the tray's balloon tells it, where the shell
// takes one.
void CProdleView::TellOfSettings(const std::string& boxText, const std::string& title,
                                 const std::string& brief)
{
    if (AfxGetMainWnd()->IsWindowVisible() || !m_tray.ShowBalloon(title, brief))
        m_root.Boxes().Queue(boxText, false);
}

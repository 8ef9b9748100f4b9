// The view's construction, form set-up, frame fitting and its simple window commands.
#include "engine/prodle_view.h"

#include <cstdlib>
#include <ctime>

#include "app/resource.h"
#include "engine/rules/minutes_text.h"
#include "framework/data_exchange.h"
#include "framework/win_app.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

CProdleView::CProdleView() : CFormView(IDD_PRODLE_FORM)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_hIcons[0] = AfxGetApp()->LoadSmallIcon(IDI_RUNNING);  // the tray's pictures: small size
    m_hIcons[1] = AfxGetApp()->LoadSmallIcon(IDI_STOPPED);

    WSADATA data;
    m_bSocketsStarted = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    AfxGetApp()->Pause(1000);
    if (!m_bSocketsStarted)
        AfxMessageBox("Prodle: WSAStartup failed", MB_OK);

    const CProfileStore& store = Profile();
    m_bIgnoreFailures = store.GetProfileInt(kSettingsSection, kSettingIgnore, 0);
    m_bRandomName = store.GetProfileInt(kSettingsSection, kSettingRandomName, 0);
    m_bRandomTime = store.GetProfileInt(kSettingsSection, kSettingRandomTime, 0);
    m_bAutoStart = store.GetProfileInt(kSettingsSection, kSettingAutoStart, 1);
    m_bDebug = store.GetProfileInt(kSettingsSection, kSettingDebug, 0);

    m_strLaunchTime = CurrentTimeText();
    m_dwLaunchTick = ::GetTickCount();
}

CProdleView::~CProdleView()
{
    // Only a start that succeeded is matched: an unmatched cleanup could end another user's sockets.
    if (m_bSocketsStarted)
        ::WSACleanup();
}

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
        MapMessage<&T::OnSocketEvent>(WM_PRODLE_SOCKET),
        MapMessage<&T::OnDomainLookupDone>(WM_PRODLE_DOMAIN_LOOKUP),
        MapMessage<&T::OnLocalLookupDone>(WM_PRODLE_LOCAL_LOOKUP),
        MapMessage<&T::OnConnectLookupDone>(WM_PRODLE_CONNECT_LOOKUP),
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
    DDX_Control(pDX, IDC_COMBO_NAMES, m_comboNames);
    DDX_Control(pDX, IDC_EDIT_OFTEN, m_editOften);
    DDX_Control(pDX, IDC_STATIC_NEXT_LABEL, m_staticNextLabel);
    DDX_Control(pDX, IDC_STATIC_COUNTDOWN, m_staticCountdown);
    DDX_Control(pDX, IDC_STATIC_STATUS, m_staticStatus);
}

void CProdleView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();

    if (!m_trayIcon.Create(this, ID_TRAY_ICON, "Prodle", m_hIcons, 2, 500, WM_PRODLE_TRAY_CALLBACK))
        AfxMessageBox("Failed to create tray icon", MB_OK | MB_ICONHAND);
    // Also without an icon yet: a notification area that comes later gets the current picture.
    if (!m_bAutoStart)
        m_trayIcon.SetIcon(IDI_STOPPED);

    RECT frame;
    ComputeFrameRect(&frame);
    AfxGetMainWnd()->MoveWindow(frame, TRUE);
    m_nWindowWidth = frame.right - frame.left;
    m_nWindowHeight = frame.bottom - frame.top;
    m_bSizeKnown = TRUE;

    m_btnStart.EnableWindow(TRUE);
    m_bBusy = FALSE;

    m_strOften = Profile().GetProfileString(kSettingsSection, kSettingOften, "25");
    m_editOften.SetWindowText(m_strOften);

    FillNameCombo();

    SetStatus("PLEASE START ME");

    // Only a provisional period: the countdown checks the minutes box again when it starts.
    m_nCount = 0;
    m_nPeriodSecs = InitialPeriodSecs(m_strOften.c_str());
    m_nTargetSecs = m_nPeriodSecs;

    if (m_bAutoStart) {
        SetTimer(TIMER_AUTO_START, 1000);
        m_bAutoStartTimer = TRUE;
    }
}

void CProdleView::ComputeFrameRect(RECT* rect)
{
    RECT frame, start, close;
    AfxGetMainWnd()->GetWindowRect(&frame);
    ::GetWindowRect(GetDlgItem(IDC_BUTTON_START), &start);
    ::GetWindowRect(GetDlgItem(IDC_BUTTON_CLOSE_WINDOW), &close);
    const int startWidth = start.right - start.left;
    const int startHeight = start.bottom - start.top;
    const int closeHeight = close.bottom - close.top;
    rect->left = frame.left;
    rect->top = frame.top;
    rect->right = frame.left + startWidth + 2 * startHeight;
    rect->bottom = close.bottom + closeHeight + closeHeight / 2 + 10;
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

// The tray menu's About comes here: the application shows the box, as for the main menu's.
void CProdleView::OnAppAbout()
{
    AfxGetApp()->OnCmdMsg(ID_APP_ABOUT, 0);
}

LRESULT CProdleView::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    return m_trayIcon.OnTrayCallback(wParam, lParam);
}

void CProdleView::OnDestroy()
{
    // A box may be up, whose caller must find the view gone when it returns.
    m_bDestroyed = TRUE;
    if (!m_deferredCommands.empty()) {
        m_deferredCommands.clear();
        EndWaitCursor();
    }
    StopCycle(false);
    CFormView::OnDestroy();
}

CString CProdleView::CurrentTimeText()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return FormatString("%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
}

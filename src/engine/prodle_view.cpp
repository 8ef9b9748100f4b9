// The view's construction, form set-up, frame fitting and its simple window commands.
#include "engine/prodle_view.h"

#include <cstdlib>
#include <ctime>

#include "app/prodle_app.h"
#include "app/resource.h"
#include "engine/minutes_text.h"
#include "framework/data_exchange.h"
#include "framework/frame_wnd.h"
#include "settings/profile_store.h"
#include "settings/setting_names.h"

CProdleView::CProdleView() : CFormView(IDD_PRODLE_FORM)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    m_hIcons[0] = AfxGetApp()->LoadSmallIcon(IDI_RUNNING);  // the tray's pictures: small size
    m_hIcons[1] = AfxGetApp()->LoadSmallIcon(IDI_STOPPED);

    WSADATA data;
    const int startup = ::WSAStartup(MAKEWORD(1, 1), &data);
    AfxGetApp()->Pause(1000);
    if (startup != 0)
        AfxMessageBox("Prodle: WSAStartup failed", MB_OK);

    m_bLocalAddressKnown = FALSE;
    m_strLocalAddress = "no address yet";
    m_bWaiting = FALSE;
    m_bCountdownTimer = FALSE;
    m_bAutoStartTimer = FALSE;
    m_bNewDomain = FALSE;
    m_bSizeKnown = FALSE;
    m_socket = -1;

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
    ::WSACleanup();
}

const MessageMap* CProdleView::ThisMessageMap()
{
    using T = CProdleView;
    static const MessageMapEntry entries[] = {
        MapCommand(IDC_BUTTON_START, &T::OnStartButton),
        MapCommand(IDC_BUTTON_CLOSE_WINDOW, &T::OnCloseWindow),
        MapCommand(IDC_BUTTON_EXIT, &T::OnExitProdle),
        MapCommand(ID_TRAY_RESTORE, &T::OnTrayRestore),
        MapCommand(ID_TRAY_EXIT, &T::OnExitProdle),
        MapCommand(ID_APP_ABOUT, &T::OnAppAbout),
        MapCommand(ID_EDIT_NAMES, &T::OnEditNames),
        MapCommand(ID_OPTIONS, &T::OnOptions),
        MapMessage(WM_PRODLE_TRAY_CALLBACK, &T::OnTrayNotification),
        MapMessage(WM_PRODLE_SOCKET, &T::OnSocketEvent),
        MapMessage(WM_PRODLE_DOMAIN_LOOKUP, &T::OnDomainLookupDone),
        MapMessage(WM_PRODLE_LOCAL_LOOKUP, &T::OnLocalLookupDone),
        MapMessage(WM_TIMER, &T::OnTimer),
        MapMessage(WM_DESTROY, &T::OnDestroy),
    };
    static const MessageMap map = MakeMessageMap(nullptr, entries);
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
    else if (!m_bAutoStart)
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

void CProdleView::OnAppAbout()
{
    GetProdleApp()->OnAppAbout();
}

LRESULT CProdleView::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    return m_trayIcon.OnTrayCallback(wParam, lParam);
}

void CProdleView::OnDestroy()
{
    if (m_hLookupTask) {
        ::WSACancelAsyncRequest(m_hLookupTask);
        m_hLookupTask = nullptr;
        // The lookup may still write its answer: its buffer must outlive the view.
        m_pLookupTarget.release();
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

#include "tray/tray_notify_icon.h"

#include <cstring>

#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

// The original, smallest form of the record: what every shell version accepts.
constexpr DWORD kRecordSize = NOTIFYICONDATAA_V1_SIZE;

// The balloon's form of the record (Windows 2000 and later).
constexpr DWORD kBalloonRecordSize = NOTIFYICONDATAA_V2_SIZE;
// How long a balloon stays up on Windows 2000 and XP (later versions take the user's setting).
constexpr UINT kBalloonMs = 10000;

// The original record holds 64 tooltip bytes: a longer tooltip is cut to 63 characters.
constexpr size_t kTipCapacity = 64;

template <size_t N>
void CopyTip(char (&destination)[N], const char* tip)
{
    static_assert(N >= kTipCapacity, "the record's tooltip field is too small");
    std::memset(destination, 0, N);
    if (tip)
        std::memcpy(destination, tip, strnlen(tip, kTipCapacity - 1));
}

// A text cut to its field, which keeps its terminating zero.
template <size_t N>
void CopyText(char (&destination)[N], const char* text)
{
    std::memset(destination, 0, N);
    if (text)
        std::memcpy(destination, text, strnlen(text, N - 1));
}

// Owns a loaded menu for the length of one callback.
class LoadedMenu {
public:
    explicit LoadedMenu(HMENU menu) : m_hMenu(menu) {}
    LoadedMenu(const LoadedMenu&) = delete;
    LoadedMenu& operator=(const LoadedMenu&) = delete;
    ~LoadedMenu()
    {
        if (m_hMenu)
            ::DestroyMenu(m_hMenu);
    }
    HMENU Get() const { return m_hMenu; }

private:
    HMENU m_hMenu;
};

}  // namespace

CTrayNotifyIcon::CTrayNotifyIcon()
{
    std::memset(&m_nid, 0, sizeof m_nid);
}

CTrayNotifyIcon::~CTrayNotifyIcon()
{
    Remove();
}

UINT CTrayNotifyIcon::TaskbarCreatedMessage()
{
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

BOOL CTrayNotifyIcon::CallShell(DWORD message)
{
    return ::Shell_NotifyIconA(message, &m_nid);
}

bool CTrayNotifyIcon::IconRect(RECT* rect) const
{
    // Windows 7 and later; looked up here, since earlier shells lack it.
    using GetRect = HRESULT(WINAPI*)(const NOTIFYICONIDENTIFIER*, RECT*);
    static const auto getRect = reinterpret_cast<GetRect>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("shell32.dll"), "Shell_NotifyIconGetRect")));
    if (!getRect)
        return false;
    NOTIFYICONIDENTIFIER icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = m_nid.hWnd;
    icon.uID = m_nid.uID;
    return SUCCEEDED(getRect(&icon, rect));
}

BOOL CTrayNotifyIcon::Create(CWnd* notifyWnd, UINT id, const char* tip, HICON icon, UINT callbackMessage,
                             UINT retryTimer)
{
    m_nid.cbSize = kRecordSize;
    m_nid.hWnd = notifyWnd ? notifyWnd->m_hWnd : nullptr;
    m_nid.uID = id;
    m_nid.uCallbackMessage = callbackMessage;
    m_nid.hIcon = icon;
    CopyTip(m_nid.szTip, tip);
    m_retryTimer = retryTimer;
    m_bWanted = true;
    const BOOL added = Add();
    if (!added)
        StartRetries();
    return added;
}

// The shell may have carried out an add it refused (it answers late while Explorer starts), so the
// delete goes out for every icon that was asked for.
void CTrayNotifyIcon::Remove()
{
    StopRetries();
    if (!m_bWanted && !m_bCreated)
        return;
    m_bWanted = false;
    m_bCreated = false;
    m_nid.uFlags = 0;
    CallShell(NIM_DELETE);
}

BOOL CTrayNotifyIcon::Restore()
{
    if (!m_bWanted)
        return FALSE;
    const BOOL added = Add();
    if (!added && !IsRetrying())
        StartRetries();
    return added;
}

// An icon the shell took after all accepts a modification: then it is there, and a second add would
// only be refused.
BOOL CTrayNotifyIcon::Add()
{
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    if (!CallShell(NIM_ADD) && !CallShell(NIM_MODIFY))
        return FALSE;
    m_bCreated = true;
    StopRetries();
    return TRUE;
}

void CTrayNotifyIcon::StartRetries()
{
    if (!m_retryTimer || !m_nid.hWnd || !::SetTimer(m_nid.hWnd, m_retryTimer, kAddRetryMs, nullptr))
        return;
    m_retriesLeft = kAddRetries;
}

// The timer runs only while retries are left: an icon that is in place wakes nothing.
void CTrayNotifyIcon::StopRetries()
{
    if (m_retriesLeft > 0)
        ::KillTimer(m_nid.hWnd, m_retryTimer);
    m_retriesLeft = 0;
}

CTrayNotifyIcon::Retry CTrayNotifyIcon::OnTimer(UINT_PTR timer)
{
    if (!IsRetrying() || timer != m_retryTimer)
        return Retry::OtherTimer;
    if (Add())
        return Retry::Added;
    if (--m_retriesLeft > 0)
        return Retry::StillTrying;
    ::KillTimer(m_nid.hWnd, m_retryTimer);
    return Retry::GaveUp;
}

// While the icon is not known to be in the notification area, a change still goes to the shell: an add
// it refused may have been carried out.
BOOL CTrayNotifyIcon::SetTip(const char* tip)
{
    CopyTip(m_nid.szTip, tip);
    if (!m_bWanted)
        return FALSE;
    m_nid.uFlags = NIF_TIP;
    return CallShell(NIM_MODIFY);
}

BOOL CTrayNotifyIcon::SetIcon(HICON icon)
{
    m_nid.hIcon = icon;
    if (!m_bWanted)
        return FALSE;
    m_nid.uFlags = NIF_ICON;
    return CallShell(NIM_MODIFY);
}

BOOL CTrayNotifyIcon::SetIcon(UINT resourceId)
{
    return SetIcon(AfxLoadSmallIcon(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId)));
}

// The balloon's fields come with the second form of the record (Windows 2000 and later); every other
// call keeps to the first form, which every shell takes.
BOOL CTrayNotifyIcon::ShowBalloon(const char* title, const char* text, DWORD infoIcon)
{
    if (!m_bWanted)
        return FALSE;
    CopyText(m_nid.szInfoTitle, title);
    CopyText(m_nid.szInfo, text);
    m_nid.uTimeout = kBalloonMs;
    m_nid.dwInfoFlags = infoIcon;
    m_nid.cbSize = kBalloonRecordSize;
    m_nid.uFlags = NIF_INFO;
    const BOOL shown = CallShell(NIM_MODIFY);
    m_nid.cbSize = kRecordSize;
    return shown;
}

CString CTrayNotifyIcon::GetTip() const
{
    return m_bCreated ? CString(m_nid.szTip) : CString();
}

HICON CTrayNotifyIcon::GetIcon() const
{
    return m_bCreated ? m_nid.hIcon : nullptr;
}

bool CTrayNotifyIcon::PointerOnIcon() const
{
    POINT pointer;
    // No pointer to read (a locked workstation's secure desktop): no tip shows either.
    if (!m_pointerSeen || !::GetCursorPos(&pointer))
        return false;
    RECT icon;
    if (IconRect(&icon))
        return ::PtInRect(&icon, pointer) != FALSE;
    return pointer.x == m_pointer.x && pointer.y == m_pointer.y;
}

LRESULT CTrayNotifyIcon::OnTrayCallback(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_nid.uID)
        return 0;
    if (lParam == WM_MOUSEMOVE)
        m_pointerSeen = ::GetCursorPos(&m_pointer) != FALSE;
    // The pop-up menu shares the icon's id; it is loaded afresh for every callback.
    LoadedMenu menu(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nid.uID)));
    if (!menu.Get())
        return 0;
    HMENU popup = ::GetSubMenu(menu.Get(), 0);
    if (!popup)
        return 0;
    // Only a top-level window can be brought to the front: it owns the menu and gets its commands.
    HWND owner = ::GetAncestor(m_nid.hWnd, GA_ROOT);
    if (lParam == WM_RBUTTONUP) {
        ::SetMenuDefaultItem(popup, 0, TRUE);
        POINT point;
        ::GetCursorPos(&point);
        // In front, and a message to it once the menu is done: without both, the menu of a window that
        // is not in front stays up when the user clicks elsewhere. An item takes either button's click.
        ::SetForegroundWindow(owner);
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
        ::PostMessageA(owner, WM_NULL, 0, 0);
    } else if (lParam == WM_LBUTTONDBLCLK) {
        ::SendMessageA(owner, WM_COMMAND, ::GetMenuItemID(popup, 0), 0);
    }
    return 1;
}

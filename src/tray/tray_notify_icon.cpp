#include "tray/tray_notify_icon.h"

#include <cstring>

#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

// The original, smallest form of the record: what every shell version accepts.
constexpr DWORD kRecordSize = NOTIFYICONDATAA_V1_SIZE;

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

BOOL CTrayNotifyIcon::Create(CWnd* notifyWnd, UINT id, const char* tip, HICON icon, UINT callbackMessage)
{
    m_nid.cbSize = kRecordSize;
    m_nid.hWnd = notifyWnd ? notifyWnd->m_hWnd : nullptr;
    m_nid.uID = id;
    m_nid.uCallbackMessage = callbackMessage;
    m_nid.hIcon = icon;
    CopyTip(m_nid.szTip, tip);
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_bWanted = true;
    const BOOL added = CallShell(NIM_ADD);
    m_bCreated = added != FALSE;
    return added;
}

void CTrayNotifyIcon::Remove()
{
    m_bWanted = false;
    if (!m_bCreated)
        return;
    m_nid.uFlags = 0;
    CallShell(NIM_DELETE);
    m_bCreated = false;
}

BOOL CTrayNotifyIcon::Restore()
{
    if (!m_bWanted)
        return FALSE;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    const BOOL added = CallShell(NIM_ADD);
    if (added)
        m_bCreated = true;
    return added;
}

// While the icon is not in the notification area, a change is only recorded, for a later add.
BOOL CTrayNotifyIcon::SetTip(const char* tip)
{
    CopyTip(m_nid.szTip, tip);
    if (!m_bCreated)
        return FALSE;
    m_nid.uFlags = NIF_TIP;
    return CallShell(NIM_MODIFY);
}

BOOL CTrayNotifyIcon::SetIcon(HICON icon)
{
    m_nid.hIcon = icon;
    if (!m_bCreated)
        return FALSE;
    m_nid.uFlags = NIF_ICON;
    return CallShell(NIM_MODIFY);
}

BOOL CTrayNotifyIcon::SetIcon(UINT resourceId)
{
    return SetIcon(AfxLoadSmallIcon(AfxGetResourceHandle(), MAKEINTRESOURCEA(resourceId)));
}

CString CTrayNotifyIcon::GetTip() const
{
    return m_bCreated ? CString(m_nid.szTip) : CString();
}

HICON CTrayNotifyIcon::GetIcon() const
{
    return m_bCreated ? m_nid.hIcon : nullptr;
}

LRESULT CTrayNotifyIcon::OnTrayCallback(WPARAM wParam, LPARAM lParam)
{
    if (wParam != m_nid.uID)
        return 0;
    // The pop-up menu shares the icon's id; it is loaded afresh for every callback.
    LoadedMenu menu(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nid.uID)));
    if (!menu.Get())
        return 0;
    HMENU popup = ::GetSubMenu(menu.Get(), 0);
    if (!popup)
        return 0;
    if (lParam == WM_RBUTTONUP) {
        ::SetMenuDefaultItem(popup, 0, TRUE);
        POINT point;
        ::GetCursorPos(&point);
        // In front, and a message to it once the menu is done: without both, the menu of a window that
        // is not in front stays up when the user clicks elsewhere.
        ::SetForegroundWindow(m_nid.hWnd);
        ::TrackPopupMenu(popup, 0, point.x, point.y, 0, m_nid.hWnd, nullptr);
        ::PostMessageA(m_nid.hWnd, WM_NULL, 0, 0);
    } else if (lParam == WM_LBUTTONDBLCLK) {
        ::SendMessageA(m_nid.hWnd, WM_COMMAND, ::GetMenuItemID(popup, 0), 0);
    }
    return 1;
}

#include "support/notification_area.h"

#include <shellapi.h>

namespace {

NOTIFYICONDATAA Record(HWND owner, UINT id)
{
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = owner;
    record.uID = id;
    record.uFlags = NIF_ICON;
    record.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
    return record;
}

}  // namespace

void KeepNotificationAreaOpen()
{
    static bool added = false;
    if (added)
        return;
    HWND owner = ::CreateWindowExA(0, "STATIC", "tray keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA record = Record(owner, 1);
    added = owner && ::Shell_NotifyIconA(NIM_ADD, &record);
}

bool ShellHasIcon(HWND owner, UINT id)
{
    NOTIFYICONDATAA record = Record(owner, id);
    record.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

bool ForgetIcon(HWND owner, UINT id)
{
    NOTIFYICONDATAA record = Record(owner, id);
    return ::Shell_NotifyIconA(NIM_DELETE, &record) != FALSE;
}

bool FindNewestTrayIcon(RECT* areaWindow, RECT* icon)
{
    HWND area = ::FindWindowA(nullptr, "Wine System Tray");
    if (!area || !::GetWindowRect(area, areaWindow))
        return false;
    bool found = false;
    for (HWND child = ::GetWindow(area, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        if (::IsWindowVisible(child) && ::GetWindowRect(child, &rect) && (!found || rect.left > icon->left)) {
            *icon = rect;
            found = true;
        }
    }
    return found;
}

// One icon in the taskbar's notification area: adds it, changes its picture and tooltip, shows a balloon
// beside it, removes it, and turns the shell's mouse callbacks into the pop-up menu (right button) and
// the menu's first command (double-click). The record is the single source of truth: every operation
// edits the fields it changes and hands the whole record to the shell.
//
// The shell can refuse an add (Explorer still starting at a slow log-in) and yet carry it out later: a
// refused add is tried again for two minutes, every change still goes to the shell, and Remove always
// deletes what may have been added.
#ifndef PRODLE_TRAY_TRAY_NOTIFY_ICON_H
#define PRODLE_TRAY_TRAY_NOTIFY_ICON_H

#include <windows.h>
#include <shellapi.h>

#include "framework/cstring.h"

class CWnd;

class CTrayNotifyIcon {
public:
    // A refused add is tried again this often, this many times (two minutes), on the notify window's
    // timer.
    static constexpr UINT kAddRetryMs = 5000;
    static constexpr int kAddRetries = 24;

    CTrayNotifyIcon();
    CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
    CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;
    virtual ~CTrayNotifyIcon();

    // The message Windows' shell sends every top-level window when it has made a new notification area.
    static UINT TaskbarCreatedMessage();

    // Adds the icon. When the shell refuses, the add is tried again on the notify window's timer
    // `retryTimer` (none: no retries), whose messages go to OnTimer.
    BOOL Create(CWnd* notifyWnd, UINT id, const char* tip, HICON icon, UINT callbackMessage,
                UINT retryTimer = 0);
    void Remove();
    // For a new notification area ("TaskbarCreated"): adds the icon with its current picture and
    // tooltip, again after a restarted taskbar forgot it, or for the first time when the earlier tries
    // found no notification area yet. A removed icon stays away.
    BOOL Restore();

    // What a timer message of the notify window meant to the icon.
    enum class Retry { OtherTimer, StillTrying, Added, GaveUp };
    Retry OnTimer(UINT_PTR timer);
    bool IsRetrying() const { return m_retriesLeft > 0; }

    BOOL SetTip(const char* tip);
    BOOL SetIcon(HICON icon);
    // The icon resource in the small-icon size, the notification area's.
    BOOL SetIcon(UINT resourceId);
    // A word to the user that needs no answer: a balloon at the icon (Windows 2000 to 8), a
    // notification on Windows 10 and 11. `infoIcon` is NIIF_INFO, NIIF_WARNING or NIIF_ERROR. The title is
    // cut to 63 characters, the text to 255.
    BOOL ShowBalloon(const char* title, const char* text, DWORD infoIcon);

    CString GetTip() const;
    HICON GetIcon() const;
    bool IsCreated() const { return m_bCreated; }

    // Whether the pointer is still on the icon: where the notification area shows it (Windows 7 and
    // later), or else where the last WM_MOUSEMOVE callback found it, for a pointer that moves on the
    // icon brings a callback at each move. The icon's tip can show only while it is.
    bool PointerOnIcon() const;

    // The callback message's handler: wParam is the icon id, lParam the mouse message. Returns 0 for
    // another icon's message or a missing menu, else 1. The menu belongs to the notify window's
    // top-level window, which receives its commands.
    virtual LRESULT OnTrayCallback(WPARAM wParam, LPARAM lParam);

protected:
    // The one place that talks to the shell.
    virtual BOOL CallShell(DWORD message);
    // Where the notification area shows the icon, in screen coordinates; false where Windows cannot
    // say (before Windows 7, or an icon it does not show).
    virtual bool IconRect(RECT* rect) const;

    NOTIFYICONDATAA m_nid;
    bool m_bCreated = false;
    // Create was called and Remove has not run since: the owner wants the icon shown, even when the
    // shell could not take it yet.
    bool m_bWanted = false;

private:
    // Adds the icon, or finds that an add refused earlier was carried out after all.
    BOOL Add();
    void StartRetries();
    void StopRetries();

    UINT m_retryTimer = 0;
    int m_retriesLeft = 0;
    // Where the last WM_MOUSEMOVE callback found the pointer.
    bool m_pointerSeen = false;
    POINT m_pointer = {};
};

#endif

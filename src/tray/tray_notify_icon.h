// One icon in the taskbar's notification area: adds it, changes its picture and tooltip, removes it, and turns the shell's mouse callbacks into the pop-up menu (right button) and the
// menu's first command (double-click). The record is the single source of truth: every operation edits
// the fields it changes and hands the whole record to the shell.
#ifndef PRODLE_TRAY_TRAY_NOTIFY_ICON_H
#define PRODLE_TRAY_TRAY_NOTIFY_ICON_H

#include <windows.h>
#include <shellapi.h>

#include "framework/cstring.h"

class CWnd;

class CTrayNotifyIcon {
public:
    CTrayNotifyIcon();
    CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
    CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;
    virtual ~CTrayNotifyIcon();

    // The message Windows' shell sends every top-level window when it has made a new notification area.
    static UINT TaskbarCreatedMessage();

    BOOL Create(CWnd* notifyWnd, UINT id, const char* tip, HICON icon, UINT callbackMessage);
    void Remove();
    // For a new notification area ("TaskbarCreated"): adds the icon with its current picture and
    // tooltip, again after a restarted taskbar forgot it, or for the first time when Create found no
    // notification area yet. A removed icon stays away.
    BOOL Restore();

    BOOL SetTip(const char* tip);
    BOOL SetIcon(HICON icon);
    // The icon resource in the small-icon size, the notification area's.
    BOOL SetIcon(UINT resourceId);

    CString GetTip() const;
    HICON GetIcon() const;
    bool IsCreated() const { return m_bCreated; }

    // The callback message's handler: wParam is the icon id, lParam the mouse message. Returns 0 for
    // another icon's message or a missing menu, else 1.
    virtual LRESULT OnTrayCallback(WPARAM wParam, LPARAM lParam);

protected:
    // The one place that talks to the shell.
    virtual BOOL CallShell(DWORD message);

    NOTIFYICONDATAA m_nid;
    bool m_bCreated = false;
    // Create was called and Remove has not run since: the owner wants the icon shown, even when the
    // shell could not take it yet.
    bool m_bWanted = false;
};

#endif

// The tray icon as the engine shows itself there: the picture of the cycle's phase, the tip with its
// countdown (the shell hears only of a change), whether the tip can be seen (the engine ticks for as long
// as it can), and the icon's add, tried again while the shell is not ready for it.
#ifndef PRODLE_FORM_TRAY_DISPLAY_H
#define PRODLE_FORM_TRAY_DISPLAY_H

#include <windows.h>

#include <functional>
#include <string>

#include "engine/ports.h"
#include "tray/tray_notify_icon.h"

class CWnd;

class TrayDisplay {
public:
    // `tipShown` tells the engine whether the tip can be seen; `gaveUp` that the icon could not be added.
    TrayDisplay(std::function<void(bool)> tipShown, std::function<void()> gaveUp);

    // Adds the icon, with the owner that gets its callbacks and timer.
    void Create(CWnd* owner);
    void ShowPicture(TrayPicture picture);
    void ShowTip(const std::string& tip);
    // A notice that needs no answer; false when the shell takes none.
    bool ShowBalloon(const std::string& title, const std::string& text);

    LRESULT OnCallback(WPARAM wParam, LPARAM lParam);
    // False for another's timer.
    bool OnTimer(UINT_PTR id);
    // A new notification area: the icon goes (back) into it.
    void OnTaskbarCreated() { m_icon.Restore(); }

private:
    std::function<void(bool)> m_tipShownChanged;
    std::function<void()> m_gaveUp;
    CTrayNotifyIcon m_icon;
    std::string m_shownTip;
    bool m_tipShown = false;
};

#endif

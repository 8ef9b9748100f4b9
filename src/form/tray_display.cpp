#include "form/tray_display.h"

#include <utility>

#include "app/resource.h"
#include "form/form_ids.h"
#include "framework/win_app.h"

TrayDisplay::TrayDisplay(std::function<void(bool)> tipShown, std::function<void()> gaveUp)
    : m_tipShownChanged(std::move(tipShown)), m_gaveUp(std::move(gaveUp))
{
}

void TrayDisplay::Create(CWnd* owner)
{
    // The pictures in the small-icon size, drawn for it rather than shrunk by the shell. An add the shell
    // refuses (Explorer still starting) is tried again for a while before the user is told.
    m_icon.Create(owner, ID_TRAY_ICON, "Prodle", AfxGetApp()->LoadSmallIcon(IDI_RUNNING),
                  WM_PRODLE_TRAY_CALLBACK, TIMER_TRAY_ADD);
}

void TrayDisplay::ShowPicture(TrayPicture picture)
{
    switch (picture) {
    case TrayPicture::Running:
        m_icon.SetIcon(IDI_RUNNING);
        break;
    case TrayPicture::Stopped:
        m_icon.SetIcon(IDI_STOPPED);
        break;
    case TrayPicture::InFlight:
        m_icon.SetIcon(IDI_IN_FLIGHT);
        break;
    }
}

void TrayDisplay::ShowTip(const std::string& tip)
{
    if (tip != m_shownTip) {
        m_shownTip = tip;
        m_icon.SetTip(tip.c_str());
    }
    // Once a second while the tip shows: a pointer that has left the icon has closed it.
    if (m_tipShown && !m_icon.PointerOnIcon()) {
        m_tipShown = false;
        m_tipShownChanged(false);
    }
}

bool TrayDisplay::ShowBalloon(const std::string& title, const std::string& text)
{
    return m_icon.ShowBalloon(title.c_str(), text.c_str(), NIIF_INFO) != FALSE;
}

LRESULT TrayDisplay::OnCallback(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = m_icon.OnTrayCallback(wParam, lParam);
    // A pointer on the icon: its tip, about to show, must tell the time left, and keep telling it while the
    // pointer stays on the icon.
    if (lParam == WM_MOUSEMOVE && wParam == ID_TRAY_ICON) {
        m_tipShown = true;
        m_tipShownChanged(true);
    }
    return result;
}

bool TrayDisplay::OnTimer(UINT_PTR id)
{
    switch (m_icon.OnTimer(id)) {
    case CTrayNotifyIcon::Retry::OtherTimer:
        return false;
    case CTrayNotifyIcon::Retry::GaveUp:
        // A later new notification area ("TaskbarCreated") still gets the icon.
        m_gaveUp();
        return true;
    case CTrayNotifyIcon::Retry::StillTrying:
    case CTrayNotifyIcon::Retry::Added:
        return true;
    }
    return true;
}

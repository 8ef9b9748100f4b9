#include "app/main_frame.h"

#include "app/resource.h"
#include "app/single_instance.h"
#include "framework/view.h"
#include "tray/tray_notify_icon.h"

bool CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.lpszClass = kClassName;
    cs.style = WS_BORDER;
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    // Provisional: the view fits the frame to the form in its initial update.
    cs.cx = static_cast<int>(screenWidth * 0.25f);
    cs.cy = static_cast<int>(screenHeight * 0.3f);
    cs.x = (screenWidth - cs.cx) / 2;
    cs.y = (screenHeight - cs.cy) / 2;
    return CFrameWnd::PreCreateWindow(cs);
}

const MessageMap* CMainFrame::ThisMessageMap()
{
    using T = CMainFrame;
    static const MessageMapEntry entries[] = {
        MapCommand<&T::OnHelp>(ID_HELP_FINDER),
        MapCommand<&T::OnHelp>(ID_HELP),
        MapCommand<&T::OnHelp>(ID_CONTEXT_HELP),
        MapCommand<&T::OnHelp>(ID_DEFAULT_HELP),
    };
    static const MessageMap map = MakeMessageMap(CFrameWnd::ThisMessageMap(), entries);
    return &map;
}

LRESULT CMainFrame::ToView(UINT message, WPARAM wParam, LPARAM lParam, LRESULT withoutView) const
{
    CView* view = GetActiveView();
    return view ? view->SendMessage(message, wParam, lParam) : withoutView;
}

bool CMainFrame::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // A re-created taskbar (Explorer restarted) has forgotten the tray icon; without it a hidden Prodle
    // could not be reached. The shell announces it to top-level windows only: the view, which owns the
    // icon, hears it from here.
    if (message == CTrayNotifyIcon::TaskbarCreatedMessage()) {
        *result = ToView(message, wParam, lParam, 0);
        return true;
    }
    // Sleep and wake are announced to top-level windows too; the engine behind the view acts on them.
    if (message == WM_POWERBROADCAST) {
        *result = ToView(message, wParam, lParam, TRUE);
        return true;
    }
    // The view's countdown ticks only while someone can see it.
    if (message == WM_SHOWWINDOW)
        ToView(message, wParam, lParam, 0);
    // A later start of Prodle in this session hands its request over: answered at once, so that the
    // later start can end, and done once the frame is up (see Ask).
    if (message == CSingleInstance::Message()) {
        const bool known = wParam == CSingleInstance::kShowForm || wParam == CSingleInstance::kExit;
        if (known)
            Ask(wParam);
        *result = known;
        return true;
    }
    // A close while the start-up still runs (the tray menu's Exit, or a session's end, while the first
    // start's box is up) would destroy the view under its own initial update: it comes once the frame
    // is up.
    if (message == WM_CLOSE && !m_bUp) {
        Ask(CSingleInstance::kExit);
        *result = 0;
        return true;
    }
    // Asked whether the session may end, or whether Windows may close the program for an installer
    // (ENDSESSION_CLOSEAPP): yes, and it runs on, since another program may still cancel the end.
    if (message == WM_QUERYENDSESSION) {
        *result = TRUE;
        return true;
    }
    // The end itself: the program ends as Exit does (tray icon, sockets), before this returns, since
    // the process may be ended right after.
    if (message == WM_ENDSESSION) {
        if (wParam)
            SendMessage(WM_COMMAND, ID_TRAY_EXIT);
        *result = 0;
        return true;
    }
    return CFrameWnd::OnWndMsg(message, wParam, lParam, result);
}

void CMainFrame::ActivateFrame(int showCommand)
{
    CFrameWnd::ActivateFrame(showCommand);
    m_bUp = true;
    DoWhatWasAsked();
}

// Before the frame is up, showing the form would be undone by the start-up's hidden activation, and an
// exit would pull the windows from under the start-up: both wait for it. An exit outweighs a show.
void CMainFrame::Ask(WPARAM request)
{
    if (request == CSingleInstance::kExit || m_asked == 0)
        m_asked = request;
    if (m_bUp)
        DoWhatWasAsked();
}

// The form comes up in front at once (the later start ends with it up); the exit is posted, so that
// the frame is not destroyed under the message that asked for it.
void CMainFrame::DoWhatWasAsked()
{
    const WPARAM request = m_asked;
    m_asked = 0;
    if (request == CSingleInstance::kExit)
        PostMessage(WM_COMMAND, ID_TRAY_EXIT);
    else if (request == CSingleInstance::kShowForm)
        SendMessage(WM_COMMAND, ID_TRAY_RESTORE);
}

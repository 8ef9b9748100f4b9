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
    // A later start of Prodle in this session hands its request over: the tray menu's Restore, at once
    // (the form is up when that start ends), or its Exit, posted so that the frame is not destroyed
    // under this message.
    if (message == CSingleInstance::Message()) {
        if (wParam == CSingleInstance::kExit)
            PostMessage(WM_COMMAND, ID_TRAY_EXIT);
        else
            SendMessage(WM_COMMAND, ID_TRAY_RESTORE);
        *result = TRUE;
        return true;
    }
    return CFrameWnd::OnWndMsg(message, wParam, lParam, result);
}

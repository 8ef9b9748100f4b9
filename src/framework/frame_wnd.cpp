#include "framework/frame_wnd.h"

#include "framework/view.h"
#include "framework/win_app.h"

const char* CFrameWnd::RegisterFrameClass(const char* className, UINT iconId)
{
    if (!className)
        className = kDefaultClassName;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExA(AfxGetResourceHandle(), className, &wc))
        return className;
    wc.lpfnWndProc = CWnd::WindowProc;
    wc.hInstance = AfxGetResourceHandle();
    if (iconId)
        wc.hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(iconId));
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return ::RegisterClassExA(&wc) ? className : nullptr;
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.lpszClass = RegisterFrameClass(cs.lpszClass, m_nIDResource);
    return cs.lpszClass != nullptr;
}

bool CFrameWnd::LoadFrame(UINT id)
{
    m_nIDResource = id;
    // The window title is the first of the document string's fields.
    char strings[256] = {};
    ::LoadStringA(AfxGetResourceHandle(), id, strings, sizeof strings);
    CString title(strings);
    title = title.substr(0, title.find('\n'));

    CREATESTRUCTA cs = {};
    cs.style = WS_OVERLAPPEDWINDOW;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hInstance = AfxGetResourceHandle();
    cs.lpszName = title.c_str();
    if (!PreCreateWindow(cs))
        return false;
    HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    m_hAccelTable = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
    HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  nullptr, menu, cs.hInstance, this);
    if (!hWnd && menu)
        ::DestroyMenu(menu);
    return hWnd != nullptr;
}

void CFrameWnd::ActivateFrame(int showCommand)
{
    ShowWindow(showCommand);
    ::UpdateWindow(m_hWnd);
}

void CFrameWnd::RecalcLayout()
{
    if (!m_pActiveView || !m_pActiveView->m_hWnd)
        return;
    RECT client;
    GetClientRect(&client);
    m_pActiveView->MoveWindow(client, TRUE);
}

void CFrameWnd::FitAndLockSize(const RECT& rect)
{
    MoveWindow(rect, TRUE);
    m_lockedSize = {rect.right - rect.left, rect.bottom - rect.top};
}

bool CFrameWnd::PreTranslateMessage(MSG* msg)
{
    if (m_hAccelTable && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg))
        return true;
    return m_pActiveView && m_pActiveView->PreTranslateMessage(msg);
}

bool CFrameWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_SIZE:
        RecalcLayout();
        break;
    case WM_GETMINMAXINFO:
        if (m_lockedSize.cx) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = info->ptMaxTrackSize.x = m_lockedSize.cx;
            info->ptMinTrackSize.y = info->ptMaxTrackSize.y = m_lockedSize.cy;
        }
        break;
    case WM_SETFOCUS:
        // The view takes the keyboard whenever the frame gets it.
        if (m_pActiveView && m_pActiveView->m_hWnd) {
            ::SetFocus(m_pActiveView->m_hWnd);
            *result = 0;
            return true;
        }
        break;
    case WM_CLOSE:
        DestroyWindow();
        *result = 0;
        return true;
    case WM_DESTROY:
        // The view goes next, with the frame's children (and may be deleted before the frame is): from
        // here on nothing of the frame's may reach it.
        m_pActiveView = nullptr;
        break;
    case WM_NCDESTROY:
        if (AfxGetApp()->m_pMainWnd == this) {
            AfxGetApp()->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        break;
    default:
        break;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

bool CFrameWnd::OnCmdMsg(UINT id, UINT code)
{
    if (m_pActiveView && m_pActiveView->RouteCmdMsg(id, code))
        return true;
    if (CWnd::OnCmdMsg(id, code))
        return true;
    return AfxGetApp()->OnCmdMsg(id, code);
}

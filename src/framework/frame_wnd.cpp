#include "framework/frame_wnd.h"

#include "framework/view.h"
#include "framework/win_app.h"

const char* const CFrameWnd::kClassName = "ProdleFrame";

ATOM CFrameWnd::RegisterFrameClass()
{
    static ATOM atom = 0;
    if (atom)
        return atom;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = CWnd::WindowProc;
    wc.hInstance = AfxGetResourceHandle();
    wc.hIcon = AfxGetApp()->LoadIcon(128);
    wc.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    atom = ::RegisterClassExA(&wc);
    return atom;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass)
        cs.lpszClass = kClassName;
    return RegisterFrameClass() != 0;
}

bool CFrameWnd::LoadFrame(UINT id)
{
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
    case WM_CLOSE:
        DestroyWindow();
        *result = 0;
        return true;
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

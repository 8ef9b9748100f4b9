#include "framework/view.h"

#include "framework/frame_wnd.h"
#include "framework/framework_ids.h"
#include "framework/win_app.h"

bool CView::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (cs.style & WS_BORDER) {
        cs.style &= ~WS_BORDER;
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return true;
}

bool CFormView::Create(CFrameWnd* frame)
{
    CREATESTRUCTA cs = {};
    cs.style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    if (!PreCreateWindow(cs))
        return false;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), frame->m_hWnd,
                                     CWnd::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hWnd)
        return false;
    ::SetWindowLongPtrA(hWnd, GWLP_ID, AFX_IDW_PANE_FIRST);
    // The template gives the form's style, except for the border, which is the view's.
    const LONG_PTR style = ::GetWindowLongPtrA(hWnd, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrA(hWnd, GWL_EXSTYLE);
    ::SetWindowLongPtrA(hWnd, GWL_STYLE, (style & ~WS_BORDER) | (cs.style & WS_BORDER));
    ::SetWindowLongPtrA(hWnd, GWL_EXSTYLE, (exStyle & ~WS_EX_CLIENTEDGE) | (cs.dwExStyle & WS_EX_CLIENTEDGE));
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ::ShowWindow(hWnd, SW_SHOW);
    return true;
}

void CFormView::OnInitialUpdate()
{
    UpdateData(false);
}

bool CFormView::PreTranslateMessage(MSG* msg)
{
    // Tab, arrow keys and the default button work as in a dialog.
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return false;
    return ::IsDialogMessageA(m_hWnd, msg) != FALSE;
}

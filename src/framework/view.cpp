#include "framework/view.h"

#include "framework/frame_wnd.h"
#include "framework/win_app.h"

namespace {
// The id by which a frame knows its first (only) pane.
constexpr int kFirstPaneId = 0xE900;
}  // namespace

bool CFormView::Create(CFrameWnd* frame)
{
    CREATESTRUCTA cs = {};
    if (!PreCreateWindow(cs))
        return false;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), frame->m_hWnd,
                                     CWnd::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hWnd)
        return false;
    ::SetWindowLongPtrA(hWnd, GWLP_ID, kFirstPaneId);
    ::ShowWindow(hWnd, SW_SHOW);
    return true;
}

void CFormView::OnInitialUpdate()
{
    UpdateData(FALSE);
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

#include "framework/wnd.h"

#include <commctrl.h>

#include <map>

#include "framework/data_exchange.h"
#include "framework/win_app.h"

namespace {

// Windows whose messages one of our objects handles. One user-interface thread: no lock.
std::map<HWND, CWnd*>& PermanentMap()
{
    static std::map<HWND, CWnd*> map;
    return map;
}

// The child control that a notification to its parent is about, if any.
HWND NotifyingChild(UINT message, LPARAM lParam)
{
    if (message == WM_COMMAND)
        return reinterpret_cast<HWND>(lParam);
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return reinterpret_cast<HWND>(lParam);
    if (message == AfxDragListMessage() && lParam)
        return reinterpret_cast<const DRAGLISTINFO*>(lParam)->hWnd;
    return nullptr;
}

// Dialog procedures return these results directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
           message == WM_INITDIALOG;
}

}  // namespace

UINT AfxDragListMessage()
{
    static const UINT message = ::RegisterWindowMessageA(DRAGLISTMSGSTRING);
    return message;
}

CWnd::~CWnd()
{
    RemoveSubclass();
    UnregisterPermanent();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto& map = PermanentMap();
    const auto found = map.find(hWnd);
    return found == map.end() ? nullptr : found->second;
}

void CWnd::RegisterPermanent(HWND hWnd)
{
    m_hWnd = hWnd;
    PermanentMap()[hWnd] = this;
    m_bPermanent = true;
}

void CWnd::UnregisterPermanent()
{
    if (!m_bPermanent)
        return;
    auto& map = PermanentMap();
    const auto found = map.find(m_hWnd);
    if (found != map.end() && found->second == this)
        map.erase(found);
    m_bPermanent = false;
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    Attach(hWnd);
    return hWnd != nullptr;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control && SubclassWindow(control);
}

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    CString text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint) const
{
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

void CWnd::BeginWaitCursor() const
{
    AfxGetApp()->DoWaitCursor(1);
}

void CWnd::EndWaitCursor() const
{
    AfxGetApp()->DoWaitCursor(-1);
}

bool CWnd::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return true;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // While the wait cursor is on, it stays on wherever the pointer moves in our windows.
    if (message == WM_SETCURSOR && AfxGetApp() && AfxGetApp()->GetWaitCursorCount() > 0) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        *result = TRUE;
        return true;
    }
    HWND child = NotifyingChild(message, lParam);
    if (child && child != m_hWnd) {
        CWnd* control = FromHandlePermanent(child);
        if (control && control->OnChildNotify(message, wParam, lParam, result))
            return true;
    }
    if (message == WM_COMMAND) {
        // Menu items give code 0 and accelerators 1: both are commands. A control's notification comes
        // with the control's window, and a code 1 there is its own (a combo box's selection change).
        const UINT code = HIWORD(wParam) == 1 && lParam == 0 ? 0 : HIWORD(wParam);
        *result = 0;
        return OnCmdMsg(LOWORD(wParam), code);
    }
    return DispatchToMap(message, wParam, lParam, result);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND)
        return DispatchToMap(kReflectBase + WM_COMMAND, wParam, lParam, result);
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        // A control that gives no brush leaves its colours to the parent.
        LRESULT brush = 0;
        if (!DispatchToMap(kReflectBase + kReflectedCtlColor, wParam, message - WM_CTLCOLORMSGBOX, &brush) ||
            !brush)
            return false;
        *result = brush;
        return true;
    }
    return false;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_bSubclassed)
        return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    if (m_bDialogProc) {
        m_bDefaultAsked = true;
        return 0;
    }
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage saved = m_current;
    const bool savedAsked = m_bDefaultAsked;
    m_current = {message, wParam, lParam};
    m_bDefaultAsked = false;
    LRESULT result = 0;
    const bool handled = OnWndMsg(message, wParam, lParam, &result);
    if (m_bDialogProc) {
        // Returned to DialogProc: 1 handled, 0 let the dialog manager do its default.
        const bool defaultAsked = m_bDefaultAsked;
        m_current = saved;
        m_bDefaultAsked = savedAsked;
        if (!handled || defaultAsked)
            return 0;
        if (ReturnsResultDirectly(message))
            return result;
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return 1;
    }
    if (!handled)
        result = DefWindowProc(message, wParam, lParam);
    m_current = saved;
    m_bDefaultAsked = savedAsked;
    return result;
}

LRESULT CALLBACK CWnd::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self) {
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->RegisterPermanent(hWnd);
        }
    } else {
        self = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    return Dispatch(self, hWnd, message, wParam, lParam);
}

LRESULT CWnd::Dispatch(CWnd* self, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HandlingScope handling(self);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        self->UnregisterPermanent();
        self->m_hWnd = nullptr;
        self->m_bNcDestroyed = true;
    }
    return result;
}

CWnd::HandlingScope::~HandlingScope()
{
    // The outermost handler of a destroyed window's messages lets it go (it may delete itself).
    if (--m_pWnd->m_nDispatchDepth == 0 && m_pWnd->m_bNcDestroyed) {
        m_pWnd->m_bNcDestroyed = false;
        m_pWnd->PostNcDestroy();
    }
}

bool CWnd::RouteCmdMsg(UINT id, UINT code)
{
    HandlingScope handling(this);
    return OnCmdMsg(id, code);
}

INT_PTR CALLBACK CWnd::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CWnd*>(lParam);
        if (!self)
            return TRUE;
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_bDialogProc = true;
        self->RegisterPermanent(hWnd);
        return self->OnInitDialog() ? TRUE : FALSE;
    }
    self = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (!self)
        return FALSE;
    const INT_PTR result = Dispatch(self, hWnd, message, wParam, lParam);
    return message == WM_NCDESTROY ? FALSE : result;
}

bool CWnd::InstallSubclass(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return false;
    if (!::SetWindowSubclass(hWnd, CWnd::SubclassProc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_bSubclassed = true;
    RegisterPermanent(hWnd);
    return true;
}

void CWnd::RemoveSubclass()
{
    if (!m_bSubclassed)
        return;
    ::RemoveWindowSubclass(m_hWnd, CWnd::SubclassProc, reinterpret_cast<UINT_PTR>(this));
    m_bSubclassed = false;
    UnregisterPermanent();
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR refData)
{
    auto* self = reinterpret_cast<CWnd*>(refData);
    if (message == WM_NCDESTROY) {
        // The window's last message: let go of it, then let its own procedure finish.
        self->RemoveSubclass();
        return ::DefSubclassProc(hWnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

// CWnd: a window handle with a message map. Windows we create ourselves carry `this` from creation
// (lpParam / the dialog's init parameter) and dispatch through one window or dialog procedure; controls
// bound with DDX_Control are plain non-owning wrappers around the child's handle.
#ifndef PRODLE_FRAMEWORK_WND_H
#define PRODLE_FRAMEWORK_WND_H

#include <windows.h>

#include "framework/cmd_target.h"
#include "framework/cstring.h"

class CDataExchange;

// The message the common controls send a drag list's parent about the drag; the parent hands it on to
// the list.
UINT AfxDragListMessage();

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }

    // The object that handles this window's messages, if it is one of ours.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Binds the wrapper to an existing window without taking it over.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    // Binds a control found by DDX_Control; controls with messages of their own override it.
    virtual bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT id, CWnd* parent);

    // Window operations used by the program, thin and with the platform's results.
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void SetWindowText(const CString& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    CString GetWindowText() const;
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE) const;
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) const { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
    BOOL FlashWindow(BOOL invert) const { return ::FlashWindow(m_hWnd, invert); }
    BOOL InvalidateRect(const RECT* rect, BOOL erase = TRUE) const
    {
        return ::InvalidateRect(m_hWnd, rect, erase);
    }
    BOOL DestroyWindow();

    // The wait cursor, counted on the application object so that nested users balance.
    void BeginWaitCursor() const;
    void EndWaitCursor() const;

    // A command that another window's handler hands to this one by a direct call (a frame passes its
    // commands to its view): counted as a message of this window being handled, so that a window
    // destroyed meanwhile is let go only once the command's handler has returned.
    bool RouteCmdMsg(UINT id, UINT code);

    // Data exchange between the controls and members.
    virtual void DoDataExchange(CDataExchange* pDX) {}
    bool UpdateData(bool saveAndValidate = true);

    // The entry points that Windows calls.
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Takes over the messages of an existing window (comctl32 subclassing): they go through this
    // object's map first, and Default() and unhandled messages on to the window's own procedure. The
    // window is also registered, so that its parent reflects notifications to it. The subclass goes at
    // WM_NCDESTROY or with this object, whichever comes first.
    bool InstallSubclass(HWND hWnd);
    void RemoveSubclass();

    // Called for every message before the default processing; true when handled.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The processing of a message that no handler took.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Lets the default processing handle the message being handled now.
    LRESULT Default();
    // A notification from the parent about this control (reflection); true when handled.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual bool OnInitDialog() { return true; }
    // Last message the window receives; windows that own themselves delete themselves here.
    virtual void PostNcDestroy() {}

    void RegisterPermanent(HWND hWnd);
    void UnregisterPermanent();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);

    // Dialog-based windows cannot call the default dialog procedure from inside their own procedure;
    // Default() then only asks for it to run after the handler.
    bool m_bDialogProc = false;
    bool m_bDefaultAsked = false;
    bool m_bPermanent = false;
    bool m_bSubclassed = false;

private:
    // Runs HandleMessage for the window procedures; after WM_NCDESTROY it calls PostNcDestroy, but only
    // once no message of this window is being handled any more: a window that is destroyed from inside
    // one of its own handlers (a close button, a nested modal loop) must not be deleted under it.
    static LRESULT Dispatch(CWnd* self, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Marks a message or routed command of this window as being handled; the last one to end lets a
    // destroyed window go (PostNcDestroy, which may delete the object).
    class HandlingScope {
    public:
        explicit HandlingScope(CWnd* wnd) : m_pWnd(wnd) { ++m_pWnd->m_nDispatchDepth; }
        HandlingScope(const HandlingScope&) = delete;
        HandlingScope& operator=(const HandlingScope&) = delete;
        ~HandlingScope();

    private:
        CWnd* m_pWnd;
    };
    int m_nDispatchDepth = 0;
    bool m_bNcDestroyed = false;

    // The message being handled, for Default().
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};
};

#endif

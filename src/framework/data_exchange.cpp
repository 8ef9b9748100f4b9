#include "framework/data_exchange.h"

#include <windows.h>

#include "framework/wnd.h"

namespace {

HWND Control(CDataExchange* pDX, int id)
{
    return ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassWindow(Control(pDX, id));
}

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    CWnd control;
    control.Attach(Control(pDX, id));
    if (pDX->m_bSaveAndValidate)
        value = control.GetWindowText();
    else
        control.SetWindowText(value);
    control.Detach();
}

void DDX_Check(CDataExchange* pDX, int id, int& value)
{
    HWND control = Control(pDX, id);
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageA(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_LBString(CDataExchange* pDX, int id, CString& value)
{
    HWND control = Control(pDX, id);
    if (pDX->m_bSaveAndValidate) {
        const LRESULT index = ::SendMessageA(control, LB_GETCURSEL, 0, 0);
        value.clear();
        if (index != LB_ERR) {
            const LRESULT length = ::SendMessageA(control, LB_GETTEXTLEN, index, 0);
            if (length != LB_ERR) {
                CString text(static_cast<size_t>(length) + 1, '\0');
                const LRESULT copied = ::SendMessageA(control, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
                text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
                value = text;
            }
        }
    } else {
        ::SendMessageA(control, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.c_str()));
    }
}

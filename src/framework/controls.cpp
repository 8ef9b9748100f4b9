#include "framework/controls.h"

namespace {

CString ItemText(HWND control, UINT lengthMessage, UINT textMessage, int index, LRESULT error)
{
    const LRESULT length = ::SendMessageA(control, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length == error || length < 0)
        return CString();
    CString text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        ::SendMessageA(control, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

}  // namespace

CString CComboBox::GetLBText(int index) const
{
    return ItemText(m_hWnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, index, CB_ERR);
}

CString CListBox::GetText(int index) const
{
    return ItemText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, index, LB_ERR);
}

#include "framework/data_exchange.h"

#include "framework/controls.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.SubclassWindow(pDX->m_pDlgWnd->GetDlgItem(id));
}

// The other exchanges wrap the control only for the time of the exchange.

void DDX_Text(CDataExchange* pDX, int id, CString& value)
{
    CWnd control;
    control.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
    if (pDX->m_bSaveAndValidate)
        value = control.GetWindowText();
    else
        control.SetWindowText(value);
}

void DDX_Check(CDataExchange* pDX, int id, bool& value)
{
    CButton control;
    control.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
    if (pDX->m_bSaveAndValidate)
        value = control.GetCheck() == BST_CHECKED;
    else
        control.SetCheck(value ? BST_CHECKED : BST_UNCHECKED);
}

void DDX_LBString(CDataExchange* pDX, int id, CString& value)
{
    CListBox control;
    control.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
    if (pDX->m_bSaveAndValidate) {
        const int index = control.GetCurSel();
        value = index == LB_ERR ? CString() : control.GetText(index);
    } else {
        control.SelectString(-1, value);
    }
}

// Modal dialogs built on a dialog template.
#ifndef PRODLE_FRAMEWORK_DIALOG_H
#define PRODLE_FRAMEWORK_DIALOG_H

#include "framework/wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_nIDTemplate(templateId), m_pParentWnd(parent)
    {
    }

    // Runs the dialog until EndDialog; IDOK, IDCANCEL, or -1 when it could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result) const { ::EndDialog(m_hWnd, result); }

protected:
    // Sets the controls from the members.
    bool OnInitDialog() override;
    // Reads the controls into the members and closes the dialog with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    bool OnCmdMsg(UINT id, UINT code) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};

#endif

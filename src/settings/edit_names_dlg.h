// The Edit Names dialog: the host list as a drag list, re-ordered with the mouse, with entries deleted
// or the default set restored. Nothing reaches the store before OK.
#ifndef PRODLE_SETTINGS_EDIT_NAMES_DLG_H
#define PRODLE_SETTINGS_EDIT_NAMES_DLG_H

#include "framework/dialog.h"
#include "framework/drag_list_box.h"

class CEditNamesDlg : public CDialog {
public:
    explicit CEditNamesDlg(CWnd* parent = nullptr);
    ~CEditNamesDlg() override;

    CDragListBox m_listNames;
    // The current host, set by the caller before DoModal; it keeps its selection through the edits.
    CString m_strSelection;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnDeleteSelection();
    void OnRestoreDefault();

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

#endif

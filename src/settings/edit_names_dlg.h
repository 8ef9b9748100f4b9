// The Edit Names dialog: the host list as a drag list, re-ordered with the mouse, with entries deleted
// or the default set restored. Nothing reaches the store before OK.
#ifndef PRODLE_SETTINGS_EDIT_NAMES_DLG_H
#define PRODLE_SETTINGS_EDIT_NAMES_DLG_H

#include <vector>

#include "framework/dialog.h"
#include "framework/drag_list_box.h"

class CEditNamesDlg : public CDialog {
public:
    explicit CEditNamesDlg(CWnd* parent = nullptr);
    ~CEditNamesDlg() override;

    CDragListBox m_listNames;
    // The host list to edit, in order, and its current host, both set by the caller before DoModal; the
    // current host keeps its selection through the edits.
    std::vector<CString> m_hostNames;
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

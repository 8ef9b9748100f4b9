// The Edit Names dialog: the host list as a drag list, re-ordered with the mouse, with entries deleted
// or the default set restored. The caller hands the list in and, after OK, stores what comes out.
#ifndef PRODLE_SETTINGS_EDIT_NAMES_DLG_H
#define PRODLE_SETTINGS_EDIT_NAMES_DLG_H

#include <vector>

#include "framework/dialog.h"
#include "framework/drag_list_box.h"

class CEditNamesDlg : public CDialog {
public:
    explicit CEditNamesDlg(CWnd* parent = nullptr);
    ~CEditNamesDlg() override;

    CDragListBox m_listHosts;
    // The host list, in order: set by the caller before DoModal, the edited list after OK.
    std::vector<CString> m_hosts;
    // The current host, set by the caller. After OK, m_nSelected is where it went (0 when it is gone):
    // the current host keeps its selection through the edits.
    CString m_strSelection;
    int m_nSelected = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;

    void OnDeleteSelection();
    void OnRestoreDefault();
    void ShowHosts(const std::vector<CString>& hosts);

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

#endif

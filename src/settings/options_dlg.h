// The Options dialog: the four option flags of the engine as check boxes. The caller fills the
// members before DoModal and takes them back after OK.
#ifndef PRODLE_SETTINGS_OPTIONS_DLG_H
#define PRODLE_SETTINGS_OPTIONS_DLG_H

#include "framework/dialog.h"

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(CWnd* parent = nullptr);
    ~COptionsDlg() override;

    BOOL m_bAutoStart = FALSE;
    BOOL m_bRandomName = FALSE;
    BOOL m_bRandomTime = FALSE;
    BOOL m_bIgnoreFailures = FALSE;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

#endif

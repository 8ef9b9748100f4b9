// The Options dialog: the four option flags of the engine as check boxes. The caller hands the options
// in before DoModal and takes them back after OK.
#ifndef PRODLE_SETTINGS_OPTIONS_DLG_H
#define PRODLE_SETTINGS_OPTIONS_DLG_H

#include "framework/dialog.h"
#include "engine/keep_alive_options.h"

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(CWnd* parent = nullptr);
    ~COptionsDlg() override;

    // "Debug" passes through unchanged: no box shows it.
    KeepAliveOptions m_options;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

#endif

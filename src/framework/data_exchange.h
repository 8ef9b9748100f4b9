// Moving data between a window's controls and its members.
#ifndef PRODLE_FRAMEWORK_DATA_EXCHANGE_H
#define PRODLE_FRAMEWORK_DATA_EXCHANGE_H

#include "framework/cstring.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* window, bool saveAndValidate) : m_pDlgWnd(window), m_bSaveAndValidate(saveAndValidate)
    {
    }
    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;  // true: controls -> members; false: members -> controls
};

// Binds a control wrapper to the window's child with this id (once).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// A check box as checked or not.
void DDX_Check(CDataExchange* pDX, int id, bool& value);
// The selected list-box entry's text; loading selects the first entry that begins with the text.
void DDX_LBString(CDataExchange* pDX, int id, CString& value);

#endif

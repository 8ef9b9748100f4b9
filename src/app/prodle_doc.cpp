#include "app/prodle_doc.h"

#include "framework/win_app.h"

bool CProdleDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return false;
    // The program lives in the notification area: the frame is activated hidden.
    AfxGetApp()->m_nCmdShow = SW_HIDE;
    return true;
}

// The application object: creates the settings store and the document template at start-up, shows the
// About box, and deletes the store at the end.
#ifndef PRODLE_APP_PRODLE_APP_H
#define PRODLE_APP_PRODLE_APP_H

#include "framework/win_app.h"

class CProfileStore;

class CProdleApp : public CWinApp {
public:
    CProdleApp();

    BOOL InitInstance() override;
    int ExitInstance() override;
    void OnAppAbout();

    CProfileStore* m_pProfileStore = nullptr;
    BOOL m_bMailLinkVisited = FALSE;
    BOOL m_bWebLinkVisited = FALSE;

protected:
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

CProdleApp* GetProdleApp();
// The settings store that every part of the program reads and writes through.
CProfileStore& Profile();

#endif

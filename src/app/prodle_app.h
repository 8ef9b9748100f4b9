// The application object: creates the settings store and the document template at start-up, shows the
// About box, and deletes the store at the end.
#ifndef PRODLE_APP_PRODLE_APP_H
#define PRODLE_APP_PRODLE_APP_H

#include "app/single_instance.h"
#include "framework/win_app.h"

class CProdleView;
class CProfileStore;

class CProdleApp : public CWinApp {
public:
    CProdleApp() : m_singleInstance(m_strAppName.c_str()) {}

    BOOL InitInstance() override;
    int ExitInstance() override;
    void OnAppAbout();
    // The engine's view, the active view of the main frame; null before it exists and after it went.
    CProdleView* GetProdleView() const;

    CProfileStore* m_pProfileStore = nullptr;
    BOOL m_bMailLinkVisited = FALSE;
    BOOL m_bWebLinkVisited = FALSE;

protected:
    CSingleInstance m_singleInstance;

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

CProdleApp* GetProdleApp();

#endif

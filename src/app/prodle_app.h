// The application object: creates the settings store and the document template at start-up, shows the
// About box, and deletes the store at the end.
#ifndef PRODLE_APP_PRODLE_APP_H
#define PRODLE_APP_PRODLE_APP_H

#include "app/single_instance.h"
#include "framework/win_app.h"

class CProfileStore;

class CProdleApp : public CWinApp {
public:
    CProdleApp() : m_singleInstance(m_strAppName.c_str()) {}

    bool InitInstance() override;
    int ExitInstance() override;
    // The About box, with the engine's local address and the time since the launch tick.
    void OnAppAbout(const CString& localAddress, DWORD launchTick);

    CProfileStore* m_pProfileStore = nullptr;
    // The links' visited flags: they outlive every About box, so that a followed link stays purple in
    // the later ones of the run.
    bool m_bMailLinkVisited = false;
    bool m_bWebLinkVisited = false;

protected:
    CSingleInstance m_singleInstance;
};

CProdleApp* GetProdleApp();

#endif

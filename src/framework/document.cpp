#include "framework/document.h"

#include "framework/frame_wnd.h"
#include "framework/view.h"
#include "framework/win_app.h"

CSingleDocTemplate::~CSingleDocTemplate()
{
    delete m_pDocument;
}

CDocument* CSingleDocTemplate::OpenNewDocument()
{
    CDocument* document = m_newDocument();
    if (!document->OnNewDocument()) {
        delete document;
        return nullptr;
    }
    CFrameWnd* frame = m_newFrame();
    if (!frame->LoadFrame(m_nIDResource)) {
        // Not deleted here: a frame whose window got as far as WM_NCCREATE has deleted itself.
        delete document;
        return nullptr;
    }
    CView* view = m_newView();
    view->m_pDocument = document;
    if (!view->Create(frame)) {
        delete view;
        frame->DestroyWindow();
        delete document;
        return nullptr;
    }
    frame->SetActiveView(view);
    frame->RecalcLayout();
    CWinApp* app = AfxGetApp();
    if (!app->m_pMainWnd)
        app->m_pMainWnd = frame;
    delete m_pDocument;
    m_pDocument = document;
    view->OnInitialUpdate();
    frame->ActivateFrame(app->m_nCmdShow);
    return document;
}

// Views: the child window that fills the main frame and shows the document; the form view is a
// modeless child dialog built on a dialog template.
#ifndef PRODLE_FRAMEWORK_VIEW_H
#define PRODLE_FRAMEWORK_VIEW_H

#include "framework/wnd.h"

class CDocument;
class CFrameWnd;

class CView : public CWnd {
public:
    CDocument* m_pDocument = nullptr;

    virtual bool Create(CFrameWnd* frame) = 0;
    // Called once, after the view's window and controls exist.
    virtual void OnInitialUpdate() {}
    // A view asked for a border gets the sunken client edge instead, the usual look of a view.
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    // Keyboard handling before dispatch; true when the message was used up.
    virtual bool PreTranslateMessage(MSG* msg) { return false; }

protected:
    void OnDestroy() { Default(); }
    // The view belongs to its window: it goes when the window goes.
    void PostNcDestroy() override { delete this; }
};

class CFormView : public CView {
public:
    explicit CFormView(UINT templateId) : m_nIDTemplate(templateId) {}

    bool Create(CFrameWnd* frame) override;
    void OnInitialUpdate() override;
    bool PreTranslateMessage(MSG* msg) override;

protected:
    // No focus at creation: the frame may start hidden, and a focused control would make the hidden
    // frame the active window. The focus comes with the frame's (see CFrameWnd), to the control that
    // had it last or the first one with a tab stop, as in any dialog.
    bool OnInitDialog() override { return false; }

    UINT m_nIDTemplate;
};

#endif

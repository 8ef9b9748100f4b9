// The main frame: a top-level window with the menu, holding one view that fills its client area.
#ifndef PRODLE_FRAMEWORK_FRAME_WND_H
#define PRODLE_FRAMEWORK_FRAME_WND_H

#include "framework/wnd.h"

class CView;

class CFrameWnd : public CWnd {
public:
    // Creates the window with the menu, icon, accelerators and title of resource `id`.
    bool LoadFrame(UINT id);
    // Registers the window class that cs.lpszClass names (the framework's own when it names none), with
    // the frame's icon; a derived frame may name its own class before it calls this.
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);

    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* view) { m_pActiveView = view; }
    // Shows the frame with the start-up show command: the last step of making the document, its frame
    // and its view.
    virtual void ActivateFrame(int showCommand);
    // Gives the view the whole client area.
    void RecalcLayout();
    // Moves the frame to this rectangle and keeps it at that size from then on (its view asks for the
    // size it needs).
    void FitAndLockSize(const RECT& rect);
    bool PreTranslateMessage(MSG* msg);

    // Registers a frame window class once: `className`, or the framework's own for null, with the icon
    // of that id in the program's resources (none for 0). Its name, or null when it cannot be made.
    static const char* RegisterFrameClass(const char* className, UINT iconId);
    static constexpr const char* kDefaultClassName = "AfxFrameWnd";

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Commands go to the active view first, then to the frame, then to the application.
    bool OnCmdMsg(UINT id, UINT code) override;
    void PostNcDestroy() override { delete this; }

    CView* m_pActiveView = nullptr;
    HACCEL m_hAccelTable = nullptr;
    // The locked size, once the view has asked for one (cx 0: not locked).
    SIZE m_lockedSize = {};
    UINT m_nIDResource = 0;
};

#endif

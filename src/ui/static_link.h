// A static text control turned into a hyperlink: drawn underlined, blue until followed and purple after;
// the hand cursor while the pointer is over it; a click asks the shell to open the control's own text
// (a web address as it is, a mailbox as a mailto: link). The visited state belongs to the owner, which
// points m_pbVisited at a flag that outlives the control.
#ifndef PRODLE_UI_STATIC_LINK_H
#define PRODLE_UI_STATIC_LINK_H

#include "framework/controls.h"
#include "framework/font.h"

// A link text containing this (the local part of the contact address, with its at sign) is a mailbox.
constexpr char kContactMailboxPrefix[] = "help@";

class CStaticLink : public CStatic {
public:
    CStaticLink();
    ~CStaticLink() override;

    // Takes over the static's messages; the parent dialog reflects its colouring and clicks here.
    bool SubclassWindow(HWND hWnd) override;

    COLORREF m_crUnvisited;
    COLORREF m_crVisited;
    bool* m_pbVisited = nullptr;  // the owner's flag, not owned; true once followed
    bool m_bCaptured = false;     // the pointer is over the control and it holds the capture
    bool m_bClickTimer = false;   // the one-second cool-down after a click is running
    CString m_strLink;            // the target, taken from the window text at the first click
    CFont m_fontUnderline;        // the control's font, underlined; made at the first colouring

protected:
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    HBRUSH CtlColor(HDC hdc, UINT kind);
    void OnClicked();
    void OnMouseMove(UINT flags, POINT point);
    void OnTimer(UINT_PTR id);
    void OnCaptureChanged();

private:
    // The flag in use: the owner's, or, should no owner have set one, the control's own.
    bool& Visited() { return m_pbVisited ? *m_pbVisited : m_bOwnVisited; }
    bool m_bOwnVisited = false;
    // The font the control had before it was given the underlined one (see CtlColor).
    HFONT m_hOriginalFont = nullptr;
};

#endif

// The main frame: a bordered window without sizing border, system menu or minimise/maximise boxes,
// locked to the size that its view asks for. As the program's top-level window it also hears later
// starts of Prodle and the end of the session.
#ifndef PRODLE_APP_MAIN_FRAME_H
#define PRODLE_APP_MAIN_FRAME_H

#include "framework/frame_wnd.h"

class CMainFrame : public CFrameWnd {
public:
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    // The end of the start-up: from here on the frame is up, and what was asked of it before (a later
    // start's request, a close) is done now.
    void ActivateFrame(int showCommand) override;

    // The frame's window class, by which other programs (and the tests) find Prodle's window.
    static constexpr const char* kClassName = "ProdleFrame";

protected:
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Hands a message meant for the whole program on to the view; the result without one.
    LRESULT ToView(UINT message, WPARAM wParam, LPARAM lParam, LRESULT withoutView) const;
    // Help has no file to show; the commands are accepted and do nothing.
    void OnHelp() {}

private:
    // A later start's request or a close (CSingleInstance::Request): done at once when the frame is
    // up, else as soon as it is.
    void Ask(WPARAM request);
    void DoWhatWasAsked();

    bool m_bUp = false;
    WPARAM m_asked = 0;
};

#endif

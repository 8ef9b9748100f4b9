// The History window: the recent prodles as a heartbeat strip, the selected one's details below it, the
// summary of the last 24 hours, and buttons that copy the history as text and open the log. A modeless
// top-level window (a dialog from the resources) with a taskbar button of its own; it follows the book
// while it is open (each record added redraws it) and costs nothing while closed: no timer, no drawing,
// and the book's callback is removed.
#ifndef PRODLE_HISTORY_HISTORY_WINDOW_H
#define PRODLE_HISTORY_HISTORY_WINDOW_H

#include <windows.h>

#include <functional>

#include "framework/wnd.h"
#include "history/history_book.h"
#include "history/history_strip.h"

class HistoryWindow : public CWnd {
public:
    // The book outlives the window; `openLog` opens the program's log.
    HistoryWindow(HistoryBook& book, std::function<void()> openLog);
    ~HistoryWindow() override;

    // Opens the window, or brings the open one to the front.
    void Open();
    bool IsOpen() const { return m_hWnd != nullptr; }
    // Its keys work as in a dialog (Tab, the arrows, Escape, the buttons' letters): the program's
    // message loop hands each key here first; true when it was used up.
    bool PreTranslateMessage(MSG* msg);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    void OnCopy();
    void OnOpenLog();
    void OnClose();
    void OnDestroy();
    void OnRecordAdded();
    void ShowSummary();
    void ShowDetails(const std::string& text);

    HistoryBook& m_book;
    std::function<void()> m_openLog;
    HistoryStrip m_strip;
};

#endif

// What the form's keep-alive engine is made of, and who owns it: the engine and its ports (the clock,
// the network, the stored settings, the log and the history), the boxes' queue, what Windows says of
// sleep, wake and the network, the History window, and a message-only window that the sockets', the
// lookups' and the timers' news come to. The form's view owns its controls and the display, and hands
// the root whatever of this reaches it.
#ifndef PRODLE_FORM_PRODLE_ROOT_H
#define PRODLE_FORM_PRODLE_ROOT_H

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/keep_alive_engine.h"
#include "form/box_queue.h"
#include "form/display_wake.h"
#include "form/file_journal.h"
#include "form/network_watch.h"
#include "form/power_notices.h"
#include "form/window_clock.h"
#include "form/winsock_network.h"
#include "form/winsock_session.h"
#include "framework/message_window.h"
#include "history/history_book.h"
#include "history/history_window.h"
#include "settings/stored_settings.h"

class ProdleRoot {
public:
    // Windows Sockets starts here, followed by the second's pause the program has always given it.
    ProdleRoot(Display& display, SettingsNotices& notices);
    ProdleRoot(const ProdleRoot&) = delete;
    ProdleRoot& operator=(const ProdleRoot&) = delete;
    ~ProdleRoot();

    // The form is up: the engine is made, and the watches of the network and of power begin (power
    // notices go to the top-level window, which passes them on).
    void Start(HWND topLevel);
    // The program ends: the engine hears of it, and no box or History window outlives it.
    void End();

    // The messages the root takes, whichever window they came to; false for any other.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The History window's keys.
    bool PreTranslateMessage(MSG* msg);

    KeepAliveEngine* Engine() { return m_engine.get(); }
    const KeepAliveEngine* Engine() const { return m_engine.get(); }
    BoxQueue& Boxes() { return m_boxes; }
    // One History window at a time: a second command brings the open one to the front.
    void OpenHistory();
    void OpenLog();
    DWORD LaunchTick() const { return m_launchTick; }
    SOCKET ConnectionSocket() const { return m_network.ConnectionSocket(); }
    NetworkWatch& NetworkChanges() { return m_networkWatch; }

private:
    void OnPowerBroadcast(WPARAM event, LPARAM data);

    Display& m_display;
    FileJournal m_journal;
    HistoryBook m_history;
    WinsockSession m_sockets;
    WindowClock m_clock;
    WinsockNetwork m_network;
    StoredSettings m_settings;
    MessageWindow m_window;
    NetworkWatch m_networkWatch{m_journal};
    PowerNotices m_powerNotices;
    // Whether the session's display coming back on is a wake (Modern Standby's only sign of one).
    DisplayWake m_displayWake{PowerNotices::ModernStandby(), [this] { return m_clock.NowMs(); }};
    BoxQueue m_boxes;
    std::string m_launchTime;
    DWORD m_launchTick = 0;
    // Made when the History window opens; it goes before the book it shows.
    std::unique_ptr<HistoryWindow> m_historyWindow;
    // Last: it goes first, before the ports it speaks through.
    std::unique_ptr<KeepAliveEngine> m_engine;
};

#endif

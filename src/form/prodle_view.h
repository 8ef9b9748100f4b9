// The form view: the program's one window with controls, and the Windows side of the keep-alive engine.
// It turns what happens (the user's commands and typing, timers, lookups and socket news, sleep and wake,
// the tray icon's mouse) into the engine's events, and shows what the engine tells it: status line,
// countdown, Start button, tray icon, wait cursor and boxes, one box at a time.
#ifndef PRODLE_FORM_PRODLE_VIEW_H
#define PRODLE_FORM_PRODLE_VIEW_H

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/keep_alive_engine.h"
#include "engine/ports.h"
#include "form/display_wake.h"
#include "form/file_journal.h"
#include "form/network_watch.h"
#include "form/power_notices.h"
#include "form/window_clock.h"
#include "form/winsock_network.h"
#include "form/winsock_session.h"
#include "framework/controls.h"
#include "framework/view.h"
#include "history/history_book.h"
#include "history/history_window.h"
#include "settings/stored_settings.h"
#include "tray/tray_notify_icon.h"

class CProdleView : public CFormView, private Display {
public:
    // How the About box is shown, with the engine's local address and the tick count at launch.
    using ShowAboutFunction = void (*)(const CString& localAddress, DWORD launchTick);

    explicit CProdleView(ShowAboutFunction showAbout);
    ~CProdleView() override;

    void OnInitialUpdate() override;
    // The History window's keys first, then the form's.
    bool PreTranslateMessage(MSG* msg) override;

    // The engine, once the form is set up (null before).
    const KeepAliveEngine* Engine() const { return m_engine.get(); }
    SOCKET ConnectionSocket() const { return m_network.ConnectionSocket(); }
    // The watch of the network, whose timing and reading a test may set.
    NetworkWatch& NetworkChanges() { return m_networkWatch; }

    // The frame shows or hides the form (it passes WM_SHOWWINDOW on).
    static constexpr UINT kFrameShown = WM_SHOWWINDOW;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    // Commands and messages.
    void OnStartButton();
    void OnCloseWindow();
    void OnExitProdle();
    void OnTrayRestore();
    void OnOpenLog();
    void OnHistory();
    void OnAppAbout();
    void OnEditNames();
    void OnOptions();
    void OnHostPicked();
    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    LRESULT OnSocketNews(WPARAM wParam, LPARAM lParam);
    LRESULT OnLocalLookup(WPARAM wParam, LPARAM lParam);
    LRESULT OnHostLookup(WPARAM wParam, LPARAM lParam);
    LRESULT OnConnectLookup(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    LRESULT OnAddressNotice(WPARAM wParam, LPARAM lParam);
    LRESULT OnNetworkChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnFrameShown(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowBox(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    // Where the frame goes: where it is, as wide as the Start button and twice its height, and ending one
    // and a half button heights and 10 pixels below "Close Window".
    RECT FrameRect() const;

    // Display
    void ShowStatus(const std::string& text) override { m_staticStatus.SetWindowText(text); }
    void ShowCountdown(const std::string& text) override;
    void ShowCounting(bool counting) override { m_staticNextLabel.EnableWindow(counting); }
    void EnableStart(bool enable) override { m_btnStart.EnableWindow(enable); }
    void ShowTrayPicture(TrayPicture picture) override;
    void ShowTrayTip(const std::string& tip) override;
    void ShowLinkState(LinkState) override {}
    void ShowTrayNotice(const std::string&) override {}
    void StopFlashing() override;
    void ShowWaiting(bool waiting) override;
    void ShowMinutes(const std::string& text) override { m_editMinutes.SetWindowText(text); }
    void ShowHosts(const std::vector<std::string>& hosts, int selected) override;
    void SelectHost(int index) override { m_comboHosts.SetCurSel(index); }
    void ShowBox(const std::string& text) override { QueueBox(text, true); }
    void ShowNotice(const std::string& text) override { QueueBox(text, false); }
    void ReportFault(const std::string& text) override;
    std::string HostBoxText() override { return m_comboHosts.GetWindowText(); }
    std::string MinutesBoxText() override { return m_editMinutes.GetWindowText(); }

    // Boxes open one at a time, from the message loop, never inside the engine's calls.
    void QueueBox(const std::string& text, bool answered);

    struct PendingBox {
        std::string text;
        bool answered;  // the engine waits for its closing
    };

    ShowAboutFunction m_showAbout;
    FileJournal m_journal;
    HistoryBook m_history;
    // Made when the History window opens; it goes before the book it shows.
    std::unique_ptr<HistoryWindow> m_historyWindow;
    DWORD m_launchTick = 0;
    std::string m_launchTime;
    // The tray's tip shows: the pointer rests where it was when it last moved on the icon.
    bool m_tipShown = false;
    // What the countdown, the tip and the wait cursor show.
    std::string m_shownCountdown;
    std::string m_shownTip;
    bool m_waitShown = false;
    POINT m_tipPointer = {};
    WinsockSession m_sockets;
    CTrayNotifyIcon m_trayIcon;
    CButton m_btnStart;
    CComboBox m_comboHosts;
    CEdit m_editMinutes;
    CStatic m_staticNextLabel;
    CStatic m_staticCountdown;
    CStatic m_staticStatus;
    WindowClock m_clock;
    WinsockNetwork m_network;
    StoredSettings m_settings;
    NetworkWatch m_networkWatch{m_journal};
    PowerNotices m_powerNotices;
    // Whether the session's display coming back on is a wake (Modern Standby's only sign of one).
    DisplayWake m_displayWake{PowerNotices::ModernStandby(), [this] { return m_clock.NowMs(); }};
    std::deque<PendingBox> m_boxes;
    bool m_boxUp = false;
    // The window has gone (the program was closed, perhaps while a box was up).
    bool m_destroyed = false;
    // Last: it goes first, before the ports it speaks through.
    std::unique_ptr<KeepAliveEngine> m_engine;
};

#endif

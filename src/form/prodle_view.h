// The form view: the program's one window with controls. It shows what the keep-alive engine tells it
// (status line, countdown, Start button, tray icon, boxes), hands the engine what the user does and the
// messages of the engine's timers, socket and lookups, and runs the Edit Names, Options and About
// commands, storing what their dialogs hand out.
#ifndef PRODLE_ENGINE_PRODLE_VIEW_H
#define PRODLE_ENGINE_PRODLE_VIEW_H

#include <windows.h>

#include <vector>

#include "engine/keep_alive_engine.h"
#include "engine/keep_alive_front_end.h"
#include "engine/winsock_session.h"
#include "framework/controls.h"
#include "framework/view.h"
#include "tray/tray_notify_icon.h"

class CProdleView : public CFormView, private KeepAliveFrontEnd {
public:
    // How the About box is shown, with the engine's local address and launch time.
    using ShowAboutFunction = void (*)(const CString& localAddress, DWORD launchTick);

    explicit CProdleView(ShowAboutFunction showAbout);
    ~CProdleView() override;

    void OnInitialUpdate() override;

    KeepAliveEngine& Engine() { return m_engine; }

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
    void OnAppAbout();
    void OnEditNames();
    void OnOptions();
    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    LRESULT OnSocketNews(WPARAM wParam, LPARAM lParam);
    LRESULT OnLocalLookup(WPARAM wParam, LPARAM lParam);
    LRESULT OnHostLookup(WPARAM wParam, LPARAM lParam);
    LRESULT OnConnectLookup(WPARAM wParam, LPARAM lParam);
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    // Hands an event to the engine. When the outermost one is through and no connection is being made,
    // the dialogs that waited for one open.
    template <class Event>
    void ToEngine(Event&& event);
    // A dialog that changes the list or the options waits for a connection being made: its outcome is
    // handled with the list and options of the moment it began, and what the user confirms comes after.
    bool DeferWhileConnecting(UINT command);
    void RunDeferredCommands();

    // The host list and its selection from the store (the default set when none is stored).
    void LoadHostList();
    void ShowHosts(const std::vector<CString>& hosts);
    // Where the frame goes: where it is, as wide as the Start button and twice its height, and ending one
    // and a half button heights and 10 pixels below "Close Window".
    RECT FrameRect() const;

    // KeepAliveFrontEnd
    CString MinutesText() const override { return m_editMinutes.GetWindowText(); }
    void SetMinutesText(const CString& text) override { m_editMinutes.SetWindowText(text); }
    CString HostText() const override { return m_comboHosts.GetWindowText(); }
    std::vector<CString> Hosts() const override;
    int SelectedHost() const override { return m_comboHosts.GetCurSel(); }
    int FindHost(const CString& host) const override { return m_comboHosts.FindStringExact(-1, host); }
    void SelectHost(int index) override { m_comboHosts.SetCurSel(index); }
    void AppendHost(const CString& host) override { m_comboHosts.AddString(host); }
    void ShowStatus(const CString& text) override { m_staticStatus.SetWindowText(text); }
    void ShowCountdown(const CString& text) override { m_staticCountdown.SetWindowText(text); }
    void ShowCounting(bool counting) override { m_staticNextLabel.EnableWindow(counting); }
    void EnableStart(bool enable) override { m_btnStart.EnableWindow(enable); }
    void ShowTrayPicture(TrayPicture picture) override;
    void ShowTrayTip(const CString& tip) override { m_trayIcon.SetTip(tip.c_str()); }
    void StopFlashing() override;
    void BeginWait() override { BeginWaitCursor(); }
    void EndWait() override { EndWaitCursor(); }
    bool ShowError(const CString& text) override;
    void StoreConnection(const CString& often, const std::vector<CString>& hosts, int selected) override;
    void StoreIgnoreFailuresOff() override;

    ShowAboutFunction m_showAbout;
    WinsockSession m_sockets;
    CTrayNotifyIcon m_trayIcon;
    CButton m_btnStart;
    CComboBox m_comboHosts;
    CEdit m_editMinutes;
    CStatic m_staticNextLabel;
    CStatic m_staticCountdown;
    CStatic m_staticStatus;
    KeepAliveEngine m_engine;

    std::vector<UINT> m_deferredCommands;
    int m_engineEventDepth = 0;
    // The window has gone (the program was closed, perhaps while a box was up).
    bool m_destroyed = false;
};

#endif

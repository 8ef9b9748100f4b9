// The form view: the program's one window with controls. It hands the engine (made and owned by the
// root, form/prodle_root.h) what the user does, and shows what the engine tells it: status line,
// countdown, Start button, tray icon and tip, wait cursor; its boxes go to the root's queue.
#ifndef PRODLE_FORM_PRODLE_VIEW_H
#define PRODLE_FORM_PRODLE_VIEW_H

#include <windows.h>

#include <string>
#include <vector>

#include "engine/keep_alive_engine.h"
#include "engine/ports.h"
#include "form/prodle_root.h"
#include "form/tray_display.h"
#include "framework/controls.h"
#include "framework/view.h"
#include "settings/stored_settings.h"
#include "tray/tray_notify_icon.h"

class CProdleView : public CFormView, private Display, private SettingsNotices {
public:
    // How the About box is shown, with the engine's local address and the tick count at launch.
    using ShowAboutFunction = void (*)(const CString& localAddress, DWORD launchTick);

    explicit CProdleView(ShowAboutFunction showAbout);
    ~CProdleView() override;

    void OnInitialUpdate() override;
    // The History window's keys first, then the form's.
    bool PreTranslateMessage(MSG* msg) override;

    // The engine, once the form is set up (null before).
    const KeepAliveEngine* Engine() const { return m_root.Engine(); }
    SOCKET ConnectionSocket() const { return m_root.ConnectionSocket(); }
    // The watch of the network, whose timing and reading a test may set.
    NetworkWatch& NetworkChanges() { return m_root.NetworkChanges(); }

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
    LRESULT OnFrameShown(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    // The engine, once the form is set up.
    KeepAliveEngine& KeepAlive() { return *m_root.Engine(); }

    // Where the frame goes: where it is, as wide as the Start button and twice its height, and ending one
    // and a half button heights and 10 pixels below "Close Window".
    RECT FrameRect() const;

    // Display
    void ShowStatus(const std::string& text) override { m_staticStatus.SetWindowText(text); }
    void ShowCountdown(const std::string& text) override;
    void ShowCounting(bool counting) override { m_staticNextLabel.EnableWindow(counting); }
    void EnableStart(bool enable) override { m_btnStart.EnableWindow(enable); }
    void ShowTrayPicture(TrayPicture picture) override { m_tray.ShowPicture(picture); }
    void ShowTrayTip(const std::string& tip) override { m_tray.ShowTip(tip); }
    void StopFlashing() override;
    void ShowWaiting(bool waiting) override;
    void ShowMinutes(const std::string& text) override { m_editMinutes.SetWindowText(text); }
    void ShowHosts(const std::vector<std::string>& hosts, int selected) override;
    void SelectHost(int index) override { m_comboHosts.SetCurSel(index); }
    void ShowBox(const std::string& text) override { m_root.Boxes().Queue(text, true); }
    void ShowNotice(const std::string& text) override { m_root.Boxes().Queue(text, false); }
    void ReportFault(const std::string& text) override;
    std::string HostBoxText() override { return m_comboHosts.GetWindowText(); }
    std::string MinutesBoxText() override { return m_editMinutes.GetWindowText(); }

    // SettingsNotices
    void TellOfSettings(const std::string& boxText, const std::string& title,
                        const std::string& brief) override;

    ShowAboutFunction m_showAbout;
    // What the countdown and the wait cursor show.
    std::string m_shownCountdown;
    bool m_waitShown = false;
    CButton m_btnStart;
    CComboBox m_comboHosts;
    CEdit m_editMinutes;
    CStatic m_staticNextLabel;
    CStatic m_staticCountdown;
    CStatic m_staticStatus;
    // The window has gone (the program was closed, perhaps while a dialog was up).
    bool m_destroyed = false;
    // What the engine is made of, made before the form's window and ended with it.
    ProdleRoot m_root;
    TrayDisplay m_tray{
        [this](bool shown) {
            if (m_root.Engine())
                KeepAlive().OnTrayTipShown(shown);
        },
        [this] { m_root.Boxes().Queue("Failed to create tray icon", false, MB_OK | MB_ICONHAND); }};
};

#endif

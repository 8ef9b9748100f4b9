// The form view: owns the keep-alive engine's whole state, the form's controls, the socket, the
// host-lookup buffer and the tray icon, and drives the cycle
//   start -> (local address, once per run) -> validate host -> one-second countdown -> prodle -> ...
// The engine's state follows from the flags, the two timers and whether the countdown label is enabled.
#ifndef PRODLE_ENGINE_PRODLE_VIEW_H
#define PRODLE_ENGINE_PRODLE_VIEW_H

#include <winsock.h>
#include <windows.h>

#include <cstdint>
#include <memory>

#include "engine/host_entry.h"
#include "framework/controls.h"
#include "framework/view.h"
#include "tray/tray_notify_icon.h"

class CProdleView : public CFormView {
public:
    CProdleView();
    ~CProdleView() override;

    // Engine (job cycle)
    void StartCycle();
    void StopCycle(bool bNotifyTray);
    void StartCountdown();
    void OnTimer(UINT_PTR nIDEvent);
    void RandomizeTarget();
    void ComputeFrameRect(RECT* rect);

    // Address resolution
    void LookUpLocalAddress();
    void ValidateDomain();
    LRESULT OnLocalLookupDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnDomainLookupDone(WPARAM wParam, LPARAM lParam);
    CString MakeTimeStampSuffix() const;

    // Connection, request and reply
    void RunTheJob(BOOL bUseNewDomain);
    int ConnectAndRemember(CString host);
    int ConnectTo(const char* host, const char* port);
    void SendRequest();
    LRESULT OnSocketEvent(WPARAM wParam, LPARAM lParam);

    // Host list and options
    void FillNameCombo();
    void OnEditNames();
    void OnOptions();

    void OnInitialUpdate() override;

    // The engine's state, public so that the frame, the dialogs and the About box can read it.
    CTrayNotifyIcon m_trayIcon;
    HICON m_hIcons[2] = {};
    CButton m_btnStart;
    CComboBox m_comboNames;
    CEdit m_editOften;
    CStatic m_staticNextLabel;
    CStatic m_staticCountdown;
    CStatic m_staticStatus;
    DWORD m_dwLaunchTick = 0;
    CString m_strLaunchTime;
    BOOL m_bLocalAddressKnown = FALSE;
    int m_socket = -1;
    CString m_strLocalAddress;
    int m_nWindowWidth = 0;
    int m_nWindowHeight = 0;
    BOOL m_bSizeKnown = FALSE;
    BOOL m_bWaiting = FALSE;
    char m_recvBuffer[1026] = {};
    int m_nCount = 0;
    int m_nPeriodSecs = 0;
    int m_nTargetSecs = 0;
    CString m_strOften;
    CString m_strLastDomain;
    int m_nSelIndex = 0;
    CString m_strDomain;
    BOOL m_bNewDomain = FALSE;
    BOOL m_bBusy = FALSE;
    BOOL m_bCountdownTimer = FALSE;
    BOOL m_bAutoStartTimer = FALSE;
    BOOL m_bFirstRun = FALSE;
    BOOL m_bIgnoreFailures = FALSE;
    BOOL m_bRandomName = FALSE;
    BOOL m_bRandomTime = FALSE;
    BOOL m_bAutoStart = TRUE;
    BOOL m_bDebug = FALSE;
    // Result of the asynchronous host lookups; aligned for the host entry written at its start.
    alignas(8) char m_hostBuffer[MAXGETHOSTSTRUCT] = {};

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    void OnStartButton() { StartCycle(); }
    void OnCloseWindow();
    void OnExitProdle();
    void OnTrayRestore();
    void OnAppAbout();
    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    // Lookups and connection helpers.
    void StartLookup(UINT completionMessage, const char* name);
    HostEntryView HostEntryInBuffer() const;
    bool AddressOf(const char* host, sockaddr_in* address);
    CString TrimmedLookedUpDomain() const;
    void ReadReply(bool onlyWithData);
    // Closes m_socket, sets it to -1 and drops the notifications already queued for it.
    void CloseSocket();

    // Moves the finished lookup's entry into m_hostBuffer.
    void TakeLookupResult();

    // The lookup under way, cancelled if the view goes before it answers.
    HANDLE m_hLookupTask = nullptr;
    // What Windows Sockets writes into while a lookup runs. It is not the view's own memory, so that a
    // lookup still answering after the view is gone (a cancel does not always stop it) writes into a
    // buffer that is deliberately left alive rather than into freed memory.
    std::unique_ptr<char[]> m_pLookupTarget;
    // Where the entry in m_hostBuffer was written: its pointers are addresses in that buffer.
    uintptr_t m_hostBufferBase = 0;
    // The host text whose entry the last host lookup put into m_hostBuffer.
    CString m_strLookedUpDomain;

    // The current local time as HH:MM:SS.
    static CString CurrentTimeText();
    void SetStatus(const char* text) { m_staticStatus.SetWindowText(text); }
};

#endif

// The form view: owns the keep-alive engine's whole state, the form's controls, the socket, the
// host-lookup buffer and the tray icon, and drives the cycle
//   start -> (local address, once per run) -> validate host -> one-second countdown -> prodle -> ...
// The engine's state follows from the flags, the two timers and whether the countdown label is enabled.
#ifndef PRODLE_ENGINE_PRODLE_VIEW_H
#define PRODLE_ENGINE_PRODLE_VIEW_H

#include <winsock.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "engine/host_lookups.h"
#include "engine/rules/host_entry.h"
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
    // The countdown reached its target: the prodle, or in random-host mode the pick of another host.
    void OnCountdownExpired();
    void PickRandomHost();
    void ComputeFrameRect(RECT* rect);

    // Address resolution
    void LookUpLocalAddress();
    void ValidateDomain();
    LRESULT OnLocalLookupDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnDomainLookupDone(WPARAM wParam, LPARAM lParam);
    CString MakeTimeStampSuffix() const;

    // Connection, request and reply. A connection is made without blocking: ConnectAndRemember starts
    // it and returns the socket, the outcome arrives later as a notification (or the bound passes).
    void RunTheJob(BOOL bUseNewDomain);
    int ConnectAndRemember(CString host);
    int ConnectTo(const char* host, const char* port);
    void SendRequest();
    LRESULT OnSocketEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnConnectLookupDone(WPARAM wParam, LPARAM lParam);

    // Host list and options
    void FillNameCombo();
    // The entries of the host list, in order.
    std::vector<CString> HostNames() const;
    void OnEditNames();
    void OnOptions();
    // A dialog that changes the list or the options waits for a connection being made: its outcome is
    // handled with the list and options of the moment it began, and what the user confirms comes after.
    bool DeferWhileConnecting(UINT command);
    void RunDeferredCommands();

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
    CString m_strLocalAddress = "no address yet";
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

    // A connection being made: from its start until its outcome is known and, for a failure, reported.
    // While it is, a prodle that falls due is skipped: one connection at a time.
    BOOL m_bConnectPending = FALSE;
    // The failure of the connection is being reported (its box may be up): nothing may report it again.
    BOOL m_bReportingConnectFailure = FALSE;
    // The view's window has gone (the program was closed while a box was up): nothing more may run.
    BOOL m_bDestroyed = FALSE;
    // Edit Names and Options commands that wait for the connection's outcome.
    std::vector<UINT> m_deferredCommands;
    // How long a connection may take before it counts as failed: Windows' own give-up time for an
    // unanswered connect, so that the outcome is the same everywhere. Tests shorten it.
    DWORD m_dwConnectBoundMs = 21000;

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

    // Lookups.
    void StartLookup(UINT completionMessage, const char* name);
    // Moves the answer of the current lookup into m_hostBuffer; false for an answer nobody waits for.
    bool TakeLookupResult(WPARAM task);
    HostEntryView HostEntryInBuffer() const;

    // Connection helpers.
    enum class Address { Known, NeedsLookup };
    Address AddressOf(const char* host, sockaddr_in* address);
    // Starts the connect of m_socket; false when it failed at once.
    bool StartConnect(const sockaddr_in& address);
    // The outcome of the connection being made.
    void OnConnectOutcome(bool connected);
    void OnConnectBoundTimer();
    // What a failed connect leads to: a message box and a stop, or, with "Ignore Connection Failures",
    // the next host of the list.
    void ApplyConnectFailurePolicy(const char* host, const char* port);
    void ReportConnectFailure(const char* host, const char* port);
    // Ends the waiting for the connection (timer, wait cursor), whatever became of it.
    void EndConnectWait();
    // Stores what a successful connection stores and makes the host the current one.
    void RememberConnection(const CString& host);
    void ReadReply(bool onlyWithData);
    // Closes m_socket, sets it to -1 and drops the notifications already queued for it.
    void CloseSocket();

    // Windows Sockets started for this view, to be released with it.
    bool m_bSocketsStarted = false;
    HostLookups m_lookups;
    // Where the entry in m_hostBuffer was written: its pointers are addresses in that buffer.
    uintptr_t m_hostBufferBase = 0;
    // The host text whose entry the last host lookup put into m_hostBuffer.
    CString m_strLookedUpDomain;

    // The connection being made: its host as given, its start, whether it holds a wait cursor and
    // whether it waits for the lookup of its address.
    CString m_strConnectHost;
    DWORD m_dwConnectStart = 0;
    bool m_bConnectCursor = false;
    bool m_bConnectLookup = false;
    sockaddr_in m_connectAddress = {};

    // The current local time as HH:MM:SS.
    static CString CurrentTimeText();
    void SetStatus(const char* text) { m_staticStatus.SetWindowText(text); }
    // The countdown and the tooltip show the time left, while a countdown runs.
    void ShowCountdown();
};

#endif

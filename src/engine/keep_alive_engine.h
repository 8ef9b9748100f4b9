// The keep-alive engine: one cycle of
//   start -> (local address, once per run) -> check the host -> one-second countdown -> prodle -> ...
// in one explicit phase (see engine/rules/phases.h for every move), with its countdown, connection,
// lookups, connect bound and failure policy. Events move it; it shows what happens through its front end
// (the form, or a test's stand-in). Its timers and its socket and lookup news go to the window it is
// attached to, which hands them back to it.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_ENGINE_H
#define PRODLE_ENGINE_KEEP_ALIVE_ENGINE_H

#include <winsock.h>
#include <windows.h>

#include "engine/prodle_connection.h"
#include "engine/host_lookups.h"
#include "engine/keep_alive_front_end.h"
#include "engine/rules/countdown.h"
#include "engine/rules/failure_policy.h"
#include "engine/rules/phases.h"
#include "framework/cstring.h"
#include "settings/keep_alive_options.h"

class KeepAliveEngine {
public:
    explicit KeepAliveEngine(KeepAliveFrontEnd& frontEnd);
    KeepAliveEngine(const KeepAliveEngine&) = delete;
    KeepAliveEngine& operator=(const KeepAliveEngine&) = delete;

    // The window whose timers (101, 103, 107) and private messages (socket news, lookup answers) the
    // engine uses; it hands them to OnTimer, OnSocketNews and OnLookupAnswer.
    void Attach(HWND window);
    // The launch time that every error box quotes, and that About counts from.
    void NoteLaunch();
    // The stored minutes text: until a countdown accepts another, the text a refused one is replaced by.
    void RestoreMinutes(const CString& stored) { m_acceptedMinutes = stored; }

    // Events.
    void Start();
    // Starts the cycle a second from now (timer 103), unless a start comes first.
    void ArmAutoStart();
    // The window goes: everything stops without the tray's notice, and whatever a box that is up
    // interrupted does not go on.
    void Shutdown();
    // False for a timer that is not the engine's.
    bool OnTimer(UINT_PTR id);
    void OnSocketNews(WPARAM socket, LPARAM news);
    void OnLookupAnswer(UINT message, WPARAM task, LPARAM result);
    // WM_POWERBROADCAST's event (wParam). Before sleep a connection is given up quietly; after a wake a
    // running cycle prodles at its next tick, and for a while a failed lookup or connect is tried again
    // every few seconds instead of being reported. Nothing keeps the machine awake or wakes it.
    void OnPowerEvent(WPARAM event);
    // New options (Options OK): each takes effect at its next use; nothing restarts.
    void SetOptions(const KeepAliveOptions& options) { m_options = options; }
    // The host list was loaded again: its selected entry becomes the host of the later prodles.
    void HostListChanged();

    Phase CurrentPhase() const { return m_phase; }
    // A connection is being made, or its failure reported.
    bool IsConnecting() const { return m_phase == Phase::Connecting || m_phase == Phase::ReportingFailure; }
    const KeepAliveOptions& Options() const { return m_options; }
    const CString& LocalAddress() const { return m_localAddress; }
    // The host of a cycle's later prodles: the selected entry when the list was loaded, then the host of
    // the last successful connection.
    const CString& CurrentHost() const { return m_lastHost; }
    DWORD LaunchTick() const { return m_launchTick; }
    // The socket of the current connection (INVALID_SOCKET: none), for a look from outside.
    SOCKET ConnectionSocket() const { return m_connection.Socket(); }
    // How long a connect may take before it counts as failed (21 s, as Windows). Tests shorten it.
    void SetConnectBound(DWORD milliseconds) { m_connection.SetBound(milliseconds); }
    // How long after a wake a failed lookup or connect waits for the network instead of being reported:
    // long enough for a wireless link to come back. Tests shorten it.
    void SetWakeGrace(DWORD milliseconds) { m_wakeGraceMs = milliseconds; }

private:
    void Enter(Phase to, Trigger why);
    void StartCycle();
    void StopCycle(bool notifyTray, Trigger why = Trigger::Stop);

    // Local address and host check.
    void LookUpLocalAddress();
    void CheckHost(Trigger why);
    void StartCountdown(Trigger why);
    void OnLocalAddressAnswer(LPARAM result, const HostEntryCopy& entry);
    void OnHostAnswer(LPARAM result, const HostEntryCopy& entry);
    // Starts a lookup; one that cannot start gets a failed answer all the same.
    void StartLookup(UINT message, const CString& name);
    void BeginLookupWait();
    // Ends the wait for the lookup of the local address or the host, giving it up if it is still on.
    void EndLookupWait();

    // Countdown.
    void OnTick();
    void OnCountdownExpired();
    void SetNextTarget();
    void PickRandomHost();
    void ShowCountdown();

    // One prodle.
    void Prodle();
    void BeginConnection(const CString& host, Trigger why);
    // What the connection's news, lookup answer or bound lead to.
    void OnConnectionOutcome(ProdleConnection::Outcome outcome);
    void OnConnected();
    void RememberConnection(const CString& host);
    void OnFailedConnection(FailureKind kind);
    void ActOn(const FailureDecision& decision, const CString& host);
    void EndConnectWait();
    void OnReply();

    // Sleep and wake.
    void OnSuspend();
    void OnResume();
    // A connection being made or waiting for its reply is given up without a word.
    void GiveUpConnectionQuietly();
    // A failure soon after a wake: true when it waits for the network (and is tried again) instead.
    bool WaitForNetwork(bool restartCycle);
    void OnNetworkRetry();

    bool ShowBox(const CString& text);
    CString TimeStampSuffix() const;

    KeepAliveFrontEnd& m_frontEnd;
    HWND m_window = nullptr;
    KeepAliveOptions m_options;
    Phase m_phase = Phase::Stopped;
    bool m_closed = false;
    // A start or a request is in progress: the ticks leave the Start button disabled until a reply.
    bool m_busy = false;
    bool m_autoStartArmed = false;

    CString m_launchTime;
    DWORD m_launchTick = 0;
    CString m_localAddress = "no address yet";
    bool m_localAddressKnown = false;

    // The last accepted minutes text, exactly as typed ("Often").
    CString m_acceptedMinutes;
    Countdown m_countdown;
    // The host text taken for this cycle, and whether the next prodle goes to it (its first one) rather
    // than to the host of the last successful connection.
    CString m_cycleHost;
    bool m_prodleCycleHost = false;
    CString m_lastHost;
    // In random-host mode only the first expiry of a countdown goes to the host just checked.
    bool m_firstExpiry = false;

    // The lookups of the local address and of the host that a start checks.
    HostLookups m_lookups;
    bool m_lookupWait = false;

    ProdleConnection m_connection;
    // The host of the connection being made, as given (leading spaces and all), and whether it holds the
    // wait cursor.
    CString m_connectHost;
    bool m_connectWait = false;

    // After a wake: when it was, whether it has been handled (a second resume event adds nothing), and
    // whether the step to try again is a new start of the cycle rather than the connection.
    bool m_resumeHandled = false;
    bool m_sinceWake = false;
    DWORD m_wakeTick = 0;
    DWORD m_wakeGraceMs = 60000;
    bool m_retryStart = false;
};

#endif

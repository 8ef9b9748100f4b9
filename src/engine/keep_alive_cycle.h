// What the keep-alive cycle does with each event:
//   start -> (local address, once per run) -> check the host -> countdown -> prodle -> countdown -> ...
// with the host list, the options, the deadlines, the failure decision, sleep and wake, and the boxes.
// Its table (Rows()) says, for each phase and event, which handler answers and where it may lead; the
// engine (keep_alive_engine.h) keeps the events' order and asks the table.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_CYCLE_H
#define PRODLE_ENGINE_KEEP_ALIVE_CYCLE_H

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/deadlines.h"
#include "engine/events.h"
#include "engine/host_list.h"
#include "engine/keep_alive_options.h"
#include "engine/phase_table.h"
#include "engine/ports.h"

struct Ports {
    Clock& clock;
    Network& network;
    Display& display;
    SettingsStore& store;
    Journal& journal;
    History& history;
};

// Which host the next prodle goes to, and why: the cycle's first prodle goes to the host it (re)started
// with, until that prodle has an outcome; the later ones to the current host (the selected entry, or the
// host of the last successful connection).
struct NextHost {
    // The texts the cycle (re)started with: the boxes' at a start the user asked for, a random pick or a
    // rotation; a restart of the program's own keeps them. While such a start is under way the boxes are
    // read again as its checks answer.
    std::string startHost;
    std::string startMinutes;
    bool startReadsBoxes = false;
    std::optional<std::string> first;
    uint32_t firstList = 0;  // the host list it is checked against when it connects
    std::string later;
    bool firstExpiry = false;  // with random hosts, the next expiry still prodles the current host

    const std::string& Host() const { return first ? *first : later; }
};

// The network's request under way: a lookup, or a connection until it is closed; and the prodle it
// makes, until it has ended.
struct Request {
    Ticket ticket = 0;
    bool open = false;
    std::string host;              // as given, leading spaces and all
    uint32_t list = 0;             // the host list it is checked against when it connects
    bool ignoresFailures = false;  // the option as the connection began
    std::optional<ProdleRecord> prodle;
    uint64_t connectStartedMs = 0;
};

// After a wake or a change of network, failures wait for the network for a while instead of being
// reported; a wait runs from its first failure to its end.
struct NetworkGrace {
    std::optional<uint64_t> since;
    std::optional<uint64_t> lastWake;
    bool suspendedSinceWake = false;
    struct Wait {
        uint64_t since = 0;
        int tries = 0;  // the retries made
    };
    std::optional<Wait> wait;
};

class KeepAliveCycle {
public:
    // The settings as the program found them stored.
    struct Settings {
        KeepAliveOptions options;
        std::string often = "25";        // the minutes text
        std::vector<std::string> hosts;  // empty: the default set is used
        int selected = 0;                // as stored, in range or not
        bool launchesStopped = false;    // the tray shows the stopped picture until a start
    };
    struct Parameters {
        std::vector<std::string> defaultHosts;
        // A connect with no outcome after this long has failed (Windows' own give-up time).
        uint64_t connectBoundMs = 21000;
        // After a wake or a change of network, a failed lookup or connect waits this long for the network
        // instead of being reported, trying again every retryMs.
        uint64_t networkGraceMs = 60000;
        uint64_t retryMs = 3000;
        unsigned seed = 1;
        // "HH:MM:SS" when the program was launched, for the boxes; empty: when the engine is made.
        std::string launchTime;
    };

    // One row of the table: in each phase of `from`, each trigger of `triggers` goes to `handle` and may
    // lead to a phase of `to` (kStays: it may stay); no handler: it is ignored there.
    using Handler = void (KeepAliveCycle::*)(const Event&);
    struct Row {
        PhaseSet from;
        TriggerSet triggers;
        Handler handle;
        PhaseSet to;
    };
    using Table = std::vector<Row>;
    static const Table& Rows();
    // The row of a pair in a table (null: none, which the table's test rules out).
    static const Row* RowFor(const Table& table, Phase phase, Trigger trigger);
    static std::vector<PhaseRule> Rules();

    KeepAliveCycle(Ports ports, const Settings& settings, Parameters parameters);
    KeepAliveCycle(const KeepAliveCycle&) = delete;
    KeepAliveCycle& operator=(const KeepAliveCycle&) = delete;

    // The boxes' texts as an event begins.
    void ReadBoxes();
    // What follows from the state whatever the event: the wait cursor, the countdown, the end of a wait
    // for the network, and the wake-up.
    void Settle();

    Phase phase = Phase::Stopped;
    KeepAliveOptions options;
    HostList hosts;
    NextHost next;
    std::optional<Request> request;
    Ticket lastTicket = 0;
    std::optional<std::string> localAddress;
    std::optional<int> lastReplyMs;
    Deadlines deadlines;

private:
    static const Row kRows[];

    // The handlers, one per row (keep_alive_cycle_table.cpp).
    void OnStart(const Event&);
    void OnAutoStart(const Event&);
    void OnShutdown(const Event&);
    void OnLocalAddressFound(const Event& event);
    void OnLocalAddressFailed(const Event&);
    void OnHostFound(const Event&);
    void OnHostNotFound(const Event&);
    void OnProdleDue(const Event&);
    void OnProdleSkipped(const Event&);
    void OnCountdownDue(const Event&);
    void OnConnected(const Event& event);
    void OnConnectBound(const Event&);
    void OnConnectRefused(const Event&);
    void OnClosedBeforeConnected(const Event&);
    void OnNoSocket(const Event&);
    void OnReply(const Event&);
    void OnClosedAfterReply(const Event&);
    void OnClosedWithoutReply(const Event&);
    void OnRetryStart(const Event&);
    void OnRetryProdle(const Event&);
    void OnSuspend(const Event&);
    void OnSuspendDuringConnection(const Event&);
    void OnWakeWhileCounting(const Event&);
    void OnWakeDuringConnection(const Event&);
    void OnWakeWhileWaiting(const Event&);
    void OnWakeWhileStarting(const Event&);
    void OnNetworkChangedWhileCounting(const Event&);
    void OnNetworkChangedWhileStarting(const Event&);
    void OnNetworkChangedWhileStopped(const Event&);
    void OnOptionsConfirmed(const Event& event);
    void OnHostListConfirmed(const Event& event);
    void OnHostPicked(const Event& event);
    void OnFormShown(const Event&);
    void OnFormShownWhileCounting(const Event&);
    void OnFormHidden(const Event&);
    void OnTipShown(const Event&);
    void OnTipHidden(const Event&);
    void OnFailureBoxClosed(const Event&);
    void OnBoxClosedCountingOn(const Event&);
    void OnStopBoxClosed(const Event&);
    void OnStopBoxClosedTrayNotice(const Event&);
    void OnStopBoxClosedAutoStart(const Event&);

    // Start and stop. A start the user asked for (or a random pick, or a rotation) takes the boxes'
    // texts; one the program makes itself (a change of network, a retry) keeps the cycle's.
    enum class Texts { FromBoxes, OfTheCycle };
    void StartCycle(Texts texts);
    void StopCycle(bool trayNotice);
    void TrayNoticeOfStop();
    void LookUpLocalAddress();
    void CheckHost();
    void StartCountdown();
    // A lookup of a start failed: the box's text, and the log's words for it.
    void OnStartLookupFailed(const std::string& box, const std::string& reason);

    // The countdown.
    void SetNextTarget();
    void ShowCountdown();

    // One prodle.
    void Prodle();
    void BeginConnection(const std::string& host, uint32_t list);
    void RememberConnection();
    void OnConnectionFailed(const std::string& why);
    void OnNoHostToConnectTo();
    Ticket Open(const std::string& host);
    void GiveUpRequest();
    // The prodle under way has ended so: the history hears of it.
    void EndProdle(ProdleOutcome outcome, int replyMs = -1);
    // A start's lookup came to nothing: the history hears of it as a prodle that could not be made.
    void RecordLookupFailure(const std::string& host, ProdleOutcome outcome);
    void GiveUpConnectionQuietly();

    // The network's grace after a wake or a change.
    bool WaitsForNetwork();
    void WaitForNetwork(Phase waiting, const std::string& reason);
    void EndNetworkWait(const std::string& how);
    // A wake that is not the second announcement of the last one: the grace begins.
    bool Woke();
    void ProdleAfterWake();

    // The host list and the boxes.
    void ApplyHostList(std::vector<std::string> list, int selected, bool notice);
    void SelectHost(int index);
    void ShowBox(const std::string& text, Phase reporting);
    void EnableStartWhenSeen();
    std::string TimeStampSuffix();
    int Draw();

    Clock& m_clock;
    Network& m_network;
    Display& m_display;
    SettingsStore& m_store;
    Journal& m_journal;
    History& m_history;
    const Parameters m_parameters;
    std::minstd_rand m_random;
    std::string m_launchTime;
    // The minutes box as the event began, and the last period accepted ("Often").
    std::string m_minutes;
    std::string m_acceptedMinutes;
    int m_periodSecs = 0;
    bool m_startHeldBack = false;  // from a start or a prodle until its reply
    NetworkGrace m_grace;
    // Who can see the countdown.
    bool m_formShown = false;
    bool m_tipShown = false;
};

#endif

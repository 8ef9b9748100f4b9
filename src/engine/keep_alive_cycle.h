// What the keep-alive cycle does with each event:
//   start -> (local address, once per run) -> check the host -> countdown -> prodle -> countdown -> ...
// with the host list, the options, the deadlines, the failure decision, sleep and wake, and the boxes.
// It works on its state and speaks through the engine's deferred ports; the engine (keep_alive_engine.h)
// decides whether an event is handled at all, and whether what the cycle made of it stands.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_CYCLE_H
#define PRODLE_ENGINE_KEEP_ALIVE_CYCLE_H

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/deadlines.h"
#include "engine/deferred_ports.h"
#include "engine/host_list.h"
#include "engine/keep_alive_options.h"
#include "engine/phase_table.h"
#include "engine/ports.h"

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

    // What the box that is up leads to once it is closed.
    enum class AfterBox { Nothing, TrayNotice, StopWithNotice, CountOn, AutoStart };

    struct Event {
        explicit Event(Trigger what, Ticket answering = 0, std::string withText = {})
            : trigger(what), ticket(answering), text(std::move(withText))
        {
        }
        Trigger trigger;
        Ticket ticket;
        std::string text;
        std::vector<std::string> hosts;
        int index = 0;
        KeepAliveOptions options;
    };

    // Everything the cycle knows, in one value: an event that goes wrong is undone by putting it back.
    struct State {
        Phase phase = Phase::Stopped;
        KeepAliveOptions options;
        std::string launchTime;
        // The minutes box as it was when the event began, the last period accepted ("Often"), and the
        // host list with the host box's text (read likewise).
        std::string minutes;
        std::string acceptedMinutes;
        HostList hosts;
        uint32_t listGeneration = 0;  // counts the lists Edit Names confirmed
        std::string localAddress = "no address yet";
        bool localAddressKnown = false;
        // The cycle: the host text and the minutes text it started with (from the boxes when the user, a
        // random pick or a rotation started it; a restart of its own keeps them); whether the start under
        // way takes the boxes' texts; where its first prodle goes until that prodle has an outcome;
        // where the later ones go.
        std::string cycleHost;
        std::string cycleMinutes;
        bool startReadsBoxes = false;
        std::optional<std::string> firstHost;
        uint32_t firstHostGeneration = 0;  // the list it is checked against when it connects
        std::string laterHost;
        bool firstExpiry = false;  // with random hosts, the next expiry still prodles the current host
        int periodSecs = 0;
        bool startHeldBack = false;  // from a start or a prodle until its reply
        // The network's request under way: a lookup, or a connection until it is closed.
        Ticket ticket = 0;
        bool ticketOpen = false;
        std::string connectHost;  // as given, leading spaces and all
        uint32_t connectGeneration = 0;
        bool connectIgnoresFailures = false;  // the option as the connection began
        // The prodle under way, for the history once it has ended, and when its connect began.
        std::optional<ProdleRecord> prodle;
        uint64_t connectStartedMs = 0;
        std::optional<int> lastReplyMs;
        // Sleep, wake and the network; a wait for the network, from its first failure to its end.
        struct NetworkWait {
            uint64_t since = 0;
            int tries = 0;  // the retries made
        };
        std::optional<NetworkWait> networkWait;
        std::optional<uint64_t> graceSince;
        std::optional<uint64_t> lastWake;
        bool suspendedSinceWake = false;
        AfterBox afterBox = AfterBox::Nothing;
        Deadlines deadlines;
        // Who can see the countdown.
        bool formShown = false;
        bool tipShown = false;
        // What the ports were last told.
        std::string shownCountdown;
        std::string shownTip;
        bool shownWaiting = false;
    };

    KeepAliveCycle(DeferredPorts& ports, const Settings& settings, Parameters parameters);
    KeepAliveCycle(const KeepAliveCycle&) = delete;
    KeepAliveCycle& operator=(const KeepAliveCycle&) = delete;

    // The boxes' texts as the event begins, before any of its own calls changes what they show.
    void ReadBoxes();
    // What an event does, in the phase the table has let it in.
    void Act(const Event& event);
    // What follows from the state whatever the event: the wait cursor, the countdown and the alarms.
    void Settle();
    // Where the next prodle goes: the host the cycle started with until its first prodle has an outcome,
    // then the current host.
    const std::string& NextProdleHost() const { return state.firstHost ? *state.firstHost : state.laterHost; }

    State state;

private:
    // Start and stop. A start the user asked for (or a random pick, or a rotation) takes the boxes'
    // texts; one the cycle makes itself (a change of network, a retry) keeps the running cycle's.
    enum class Texts { FromBoxes, OfTheCycle };
    void StartCycle(Texts texts);
    void StopCycle(bool trayNotice);
    void LookUpLocalAddress();
    void CheckHost();
    void StartCountdown();
    void OnLocalAddress(const std::string& address);
    // A lookup of a start failed: the box's text, and the log's words for it.
    void OnStartLookupFailed(const std::string& box, const std::string& reason);

    // The countdown.
    void OnProdleDue();
    void SetNextTarget();
    void ShowCountdown();

    // One prodle.
    void Prodle();
    void BeginConnection(const std::string& host, uint32_t listGeneration);
    void OnConnectedNow(const std::string& address);
    void RememberConnection();
    void OnReply();
    void OnConnectionFailed(const std::string& why);
    void OnNoHostToConnectTo();
    void OnSocketRefused();
    void GiveUpRequest();
    // The prodle under way has ended so: the history hears of it.
    void EndProdle(ProdleOutcome outcome, int replyMs = -1);
    // A start's lookup came to nothing: the history hears of it as a prodle that could not be made.
    void RecordLookupFailure(const std::string& host, ProdleOutcome outcome);
    void GiveUpConnectionQuietly();

    // The network's grace after a wake or a change.
    bool WaitsForNetwork();
    void WaitForNetwork(Phase waiting, const std::string& reason);
    // The wait for the network is over: back, given up, or ended by the user.
    void EndNetworkWait(const std::string& how);
    void OnRetryDue();
    void OnSuspendNow();
    void OnResumeNow();

    // The host list and the boxes.
    void ApplyHostList(std::vector<std::string> hosts, int selected, bool notice);
    void SelectHost(int index);
    void ReportFailure(const std::string& text, AfterBox after);
    void ReportStop(const std::string& text, AfterBox after);
    void OnBoxClosedNow();
    void ShowTip(const std::string& tip);
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
};

#endif

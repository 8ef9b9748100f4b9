// The phases of the keep-alive cycle and everything that can happen to it. The cycle's table
// (keep_alive_cycle.cpp) has one row for each pair of the two: the handler that answers the event in that
// phase and the phases it may lead to, or that the event is ignored there. docs/architecture.md's
// diagram and table are made from the rows.
#ifndef PRODLE_ENGINE_PHASE_TABLE_H
#define PRODLE_ENGINE_PHASE_TABLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class Phase : uint8_t {
    Stopped,
    LookingUpLocalAddress,
    CheckingHost,
    CountingDown,
    Connecting,
    WaitingForReply,
    // Soon after a wake or a change of network a lookup failed: the start is tried again in a few seconds.
    WaitingForNetworkToStart,
    // The same for a connect: the prodle is tried again.
    WaitingForNetworkToProdle,
    // A failed prodle's box is up; the countdown runs on, and no prodle starts until the box is closed.
    // Then the cycle stops, or (no socket, with "Ignore Connection Failures") counts on.
    ReportingFailure,
    ReportingFailureThenCountingOn,
    // The cycle stopped and its box is up: nothing starts until it is closed. Then nothing more, or the
    // tray says it has stopped (the only host failed), or the auto-start follows (the first start's
    // notice of the default hosts).
    ReportingStop,
    ReportingStopThenTrayNotice,
    ReportingStopThenAutoStart,
    // The program has ended.
    Closed,
};
constexpr int kPhaseCount = 14;

// In the order of the engine's event types (engine/events.h).
enum class Trigger : uint8_t {
    Start,         // "Start or Apply Changes"
    AutoStartDue,  // a second after the program started, with Auto-Start
    Shutdown,      // the program ends
    ProdleDue,     // the countdown's deadline
    ConnectBound,  // a connect that has had no outcome for 21 s has failed
    RetryDue,      // a step that waits for the network is tried again
    CountdownDue,  // the shown countdown changes (only while someone can see it)
    LocalAddressFound,
    LocalAddressFailed,
    HostFound,
    HostNotFound,
    Connected,         // the request goes out
    ConnectFailed,     // refused, or its host not found
    NoSocket,          // no socket could be made
    ReplyData,         // reply data were read
    ConnectionClosed,  // the server closed the connection
    Suspend,
    Resume,
    NetworkChanged,
    OptionsConfirmed,
    HostListConfirmed,
    HostPicked,
    BoxClosed,
    FormShown,
    FormHidden,
    TipShown,  // the tray icon's tip can be seen
    TipHidden,
};
constexpr int kTriggerCount = 27;

using PhaseSet = uint32_t;
using TriggerSet = uint32_t;

constexpr PhaseSet Phases(Phase phase)
{
    return PhaseSet{1} << static_cast<int>(phase);
}
template <class... More>
constexpr PhaseSet Phases(Phase phase, More... more)
{
    return Phases(phase) | Phases(more...);
}
constexpr TriggerSet Triggers(Trigger trigger)
{
    return TriggerSet{1} << static_cast<int>(trigger);
}
template <class... More>
constexpr TriggerSet Triggers(Trigger trigger, More... more)
{
    return Triggers(trigger) | Triggers(more...);
}
constexpr TriggerSet kEveryTrigger = (TriggerSet{1} << kTriggerCount) - 1;

// In a rule's targets: the phase the event came in, which it may stay in.
constexpr PhaseSet kStays = PhaseSet{1} << 31;

// The phase groups the rows are written with.
constexpr PhaseSet kRunning =
    Phases(Phase::LookingUpLocalAddress, Phase::CheckingHost, Phase::CountingDown, Phase::Connecting,
           Phase::WaitingForReply, Phase::WaitingForNetworkToStart, Phase::WaitingForNetworkToProdle);
constexpr PhaseSet kReporting =
    Phases(Phase::ReportingFailure, Phase::ReportingFailureThenCountingOn, Phase::ReportingStop,
           Phase::ReportingStopThenTrayNotice, Phase::ReportingStopThenAutoStart);
constexpr PhaseSet kOpen = Phases(Phase::Stopped) | kRunning | kReporting;
// The countdown runs and shows in these phases.
constexpr PhaseSet kCounting = Phases(Phase::CountingDown, Phase::Connecting, Phase::WaitingForReply,
                                      Phase::ReportingFailure, Phase::ReportingFailureThenCountingOn);

constexpr bool IsIn(Phase phase, PhaseSet phases)
{
    return (phases & Phases(phase)) != 0;
}
constexpr bool IsCounting(Phase phase)
{
    return IsIn(phase, kCounting);
}
constexpr bool IsReporting(Phase phase)
{
    return IsIn(phase, kReporting);
}

// A row of the table as the page shows it: in each phase of `from`, each trigger of `triggers` is ignored
// (`to` is 0) or handled, leading to a phase of `to`.
struct PhaseRule {
    PhaseSet from;
    TriggerSet triggers;
    PhaseSet to;
};

const char* PhaseName(Phase phase);
const char* TriggerName(Trigger trigger);

// The Mermaid state diagram of the moves and the Markdown table of every rule, as docs/architecture.md
// shows them.
std::string PhaseTableDocument(const std::vector<PhaseRule>& rules);

#endif

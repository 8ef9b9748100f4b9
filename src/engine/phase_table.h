// The phases of the keep-alive cycle, everything that can happen to it, and one answer for every pair of
// the two: the phases the event may lead to (its own phase among them when it may stay), or that it is
// ignored there. The engine asks the table before it handles an event and checks the move after it;
// docs/architecture.md's diagram and table are made from it.
#ifndef PRODLE_ENGINE_PHASE_TABLE_H
#define PRODLE_ENGINE_PHASE_TABLE_H

#include <cstddef>
#include <cstdint>
#include <string>

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
    ReportingFailure,
    // The cycle stopped and its box is up (or the first start's notice): nothing starts until it is closed.
    ReportingStop,
    // The program has ended.
    Closed,
};
constexpr int kPhaseCount = 11;

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
    ConnectFailed,     // refused, closed before it was made, or its host not found
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

// In a rule's targets: the phase the event came in, which it may stay in.
constexpr PhaseSet kStays = PhaseSet{1} << 31;

// One row of the table: in each phase of `from`, each trigger of `triggers` is ignored (`to` is 0) or
// handled, leading to a phase of `to`.
struct PhaseRule {
    PhaseSet from;
    TriggerSet triggers;
    PhaseSet to;
};

extern const PhaseRule kPhaseRules[];
extern const size_t kPhaseRuleCount;

struct Answer {
    bool handled;
    PhaseSet to;  // the phases the event may lead to, the phase it came in included when it may stay
};
// The answer of the first rule that covers the pair; a pair no rule covers is not handled (the table's
// test makes sure that every pair is covered by exactly one rule).
Answer AnswerTo(Phase from, Trigger trigger);
bool MayMove(Phase from, Trigger trigger, Phase to);

// The countdown runs and shows in these phases.
bool IsCounting(Phase phase);

const char* PhaseName(Phase phase);
const char* TriggerName(Trigger trigger);

// The Mermaid state diagram of the moves and the Markdown table of every rule, as docs/architecture.md
// shows them.
std::string PhaseTableDocument();

#endif

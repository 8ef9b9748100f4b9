#include "engine/phase_table.h"

#include <map>
#include <utility>

namespace {

using P = Phase;
using T = Trigger;

constexpr PhaseSet kRunning =
    Phases(P::LookingUpLocalAddress, P::CheckingHost, P::CountingDown, P::Connecting, P::WaitingForReply,
           P::WaitingForNetworkToStart, P::WaitingForNetworkToProdle);
constexpr PhaseSet kReporting = Phases(P::ReportingFailure, P::ReportingStop);
constexpr PhaseSet kOpen = Phases(P::Stopped) | kRunning | kReporting;
constexpr PhaseSet kCounting =
    Phases(P::CountingDown, P::Connecting, P::WaitingForReply, P::ReportingFailure);
// Where a start leads: the lookup of the local address (once per run), the host's check (a name), the
// countdown (an address), or a refused period's box.
constexpr PhaseSet kStarting =
    Phases(P::LookingUpLocalAddress, P::CheckingHost, P::CountingDown, P::ReportingStop);
// Where a failed connect leads: a wait for the network (soon after a wake), its box, the next host (a
// start), or the only host's box.
constexpr PhaseSet kAfterFailedConnect =
    Phases(P::WaitingForNetworkToProdle, P::ReportingFailure) | kStarting;
// Where a prodle leads: a connect, a random host's start, or, with no host to connect to, on counting
// (with "Ignore Connection Failures") or a stop.
constexpr PhaseSet kAfterProdle = Phases(P::Connecting, P::CountingDown, P::Stopped) | kStarting;
constexpr PhaseSet kIgnored = 0;

constexpr TriggerSet kUserInput = Triggers(T::OptionsConfirmed, T::HostListConfirmed, T::HostPicked,
                                           T::FormShown, T::FormHidden, T::TipShown, T::TipHidden);
constexpr TriggerSet kConnectGoneWrong = Triggers(T::ConnectBound, T::ConnectFailed, T::ConnectionClosed);

// Every phase but these.
constexpr PhaseSet OpenBut(PhaseSet phases)
{
    return kOpen & ~phases;
}

}  // namespace

const PhaseRule kPhaseRules[] = {
    // A start stops whatever runs first. Nothing starts behind a box.
    {Phases(P::Stopped) | kRunning, Triggers(T::Start), kStarting},
    {kReporting, Triggers(T::Start), kIgnored},
    {Phases(P::Stopped), Triggers(T::AutoStartDue), kStarting},
    {OpenBut(Phases(P::Stopped)), Triggers(T::AutoStartDue), kIgnored},
    {kOpen, Triggers(T::Shutdown), Phases(P::Closed)},

    // The local address and the host's check.
    {Phases(P::LookingUpLocalAddress), Triggers(T::LocalAddressFound),
     Phases(P::CheckingHost, P::CountingDown, P::ReportingStop, P::WaitingForNetworkToStart)},
    {Phases(P::LookingUpLocalAddress), Triggers(T::LocalAddressFailed),
     Phases(P::WaitingForNetworkToStart, P::ReportingStop)},
    {OpenBut(Phases(P::LookingUpLocalAddress)), Triggers(T::LocalAddressFound, T::LocalAddressFailed),
     kIgnored},
    {Phases(P::CheckingHost), Triggers(T::HostFound), Phases(P::CountingDown, P::ReportingStop)},
    {Phases(P::CheckingHost), Triggers(T::HostNotFound),
     Phases(P::WaitingForNetworkToStart, P::ReportingStop)},
    {OpenBut(Phases(P::CheckingHost)), Triggers(T::HostFound, T::HostNotFound), kIgnored},

    // The countdown. One connection at a time: a prodle that falls due while one is being made, or its
    // failure reported, is skipped.
    {Phases(P::CountingDown, P::WaitingForReply), Triggers(T::ProdleDue), kAfterProdle},
    {Phases(P::Connecting, P::ReportingFailure), Triggers(T::ProdleDue), kStays},
    {OpenBut(kCounting), Triggers(T::ProdleDue), kIgnored},
    {kCounting, Triggers(T::CountdownDue), kStays},
    {OpenBut(kCounting), Triggers(T::CountdownDue), kIgnored},

    // One prodle's connection.
    {Phases(P::Connecting), Triggers(T::Connected), Phases(P::WaitingForReply)},
    {Phases(P::Connecting), kConnectGoneWrong, kAfterFailedConnect},
    {Phases(P::Connecting), Triggers(T::NoSocket), Phases(P::ReportingFailure)},
    {OpenBut(Phases(P::Connecting)), Triggers(T::Connected, T::ConnectBound, T::ConnectFailed, T::NoSocket),
     kIgnored},
    {Phases(P::WaitingForReply), Triggers(T::ReplyData), Phases(P::CountingDown)},
    // The rest of a reply, and a server's close after its reply or without one.
    {Phases(P::CountingDown), Triggers(T::ReplyData), kStays},
    {Phases(P::CountingDown, P::WaitingForReply), Triggers(T::ConnectionClosed), kStays},
    {OpenBut(Phases(P::CountingDown, P::WaitingForReply)), Triggers(T::ReplyData), kIgnored},
    {OpenBut(Phases(P::CountingDown, P::WaitingForReply, P::Connecting)), Triggers(T::ConnectionClosed),
     kIgnored},

    // Waiting for the network.
    {Phases(P::WaitingForNetworkToStart), Triggers(T::RetryDue), kStarting},
    {Phases(P::WaitingForNetworkToProdle), Triggers(T::RetryDue),
     Phases(P::Connecting, P::CountingDown, P::Stopped)},
    {OpenBut(Phases(P::WaitingForNetworkToStart, P::WaitingForNetworkToProdle)), Triggers(T::RetryDue),
     kIgnored},

    // Sleep, wake and a change of network. A connection does not live through a sleep; a box waits for the
    // user whatever happens meanwhile.
    {Phases(P::Connecting, P::WaitingForReply), Triggers(T::Suspend), Phases(P::CountingDown)},
    {OpenBut(kReporting | Phases(P::Connecting, P::WaitingForReply)), Triggers(T::Suspend), kStays},
    {kReporting, Triggers(T::Suspend), kIgnored},
    {Phases(P::Connecting, P::WaitingForReply), Triggers(T::Resume), Phases(P::CountingDown) | kStays},
    {kRunning & ~Phases(P::Connecting, P::WaitingForReply), Triggers(T::Resume), kStays},
    {Phases(P::Stopped) | kReporting, Triggers(T::Resume), kIgnored},
    {kRunning, Triggers(T::NetworkChanged), kStarting},
    {Phases(P::Stopped) | kReporting, Triggers(T::NetworkChanged), kStays},

    // What the user confirms, types or looks at changes no phase.
    {kOpen, kUserInput, kStays},

    // A box's answer.
    {Phases(P::ReportingFailure), Triggers(T::BoxClosed), Phases(P::Stopped, P::CountingDown)},
    {Phases(P::ReportingStop), Triggers(T::BoxClosed), Phases(P::Stopped)},
    {Phases(P::Stopped) | kRunning, Triggers(T::BoxClosed), kIgnored},

    // Nothing happens to an ended program.
    {Phases(P::Closed), (TriggerSet{1} << kTriggerCount) - 1, kIgnored},
};

const size_t kPhaseRuleCount = sizeof kPhaseRules / sizeof kPhaseRules[0];

Answer AnswerTo(Phase from, Trigger trigger)
{
    for (const PhaseRule& rule : kPhaseRules) {
        if ((rule.from & Phases(from)) && (rule.triggers & Triggers(trigger))) {
            PhaseSet to = rule.to & ~kStays;
            if (rule.to & kStays)
                to |= Phases(from);
            return {rule.to != kIgnored, to};
        }
    }
    return {false, 0};
}

bool MayMove(Phase from, Trigger trigger, Phase to)
{
    const Answer answer = AnswerTo(from, trigger);
    return answer.handled && (answer.to & Phases(to));
}

bool IsCounting(Phase phase)
{
    return (kCounting & Phases(phase)) != 0;
}

const char* PhaseName(Phase phase)
{
    static const char* const names[kPhaseCount] = {
        "Stopped",
        "LookingUpLocalAddress",
        "CheckingHost",
        "CountingDown",
        "Connecting",
        "WaitingForReply",
        "WaitingForNetworkToStart",
        "WaitingForNetworkToProdle",
        "ReportingFailure",
        "ReportingStop",
        "Closed",
    };
    const int index = static_cast<int>(phase);
    return index < kPhaseCount ? names[index] : "?";
}

const char* TriggerName(Trigger trigger)
{
    static const char* const names[kTriggerCount] = {
        "Start",
        "AutoStartDue",
        "Shutdown",
        "ProdleDue",
        "ConnectBound",
        "RetryDue",
        "CountdownDue",
        "LocalAddressFound",
        "LocalAddressFailed",
        "HostFound",
        "HostNotFound",
        "Connected",
        "ConnectFailed",
        "NoSocket",
        "ReplyData",
        "ConnectionClosed",
        "Suspend",
        "Resume",
        "NetworkChanged",
        "OptionsConfirmed",
        "HostListConfirmed",
        "HostPicked",
        "BoxClosed",
        "FormShown",
        "FormHidden",
        "TipShown",
        "TipHidden",
    };
    const int index = static_cast<int>(trigger);
    return index < kTriggerCount ? names[index] : "?";
}

namespace {

std::string Join(uint32_t set, int count, const char* (*name)(int))
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (!(set & (uint32_t{1} << i)))
            continue;
        if (!text.empty())
            text += ", ";
        text += name(i);
    }
    return text;
}

const char* PhaseNameAt(int index)
{
    return PhaseName(static_cast<Phase>(index));
}

const char* TriggerNameAt(int index)
{
    return TriggerName(static_cast<Trigger>(index));
}

}  // namespace

namespace {

int Count(uint32_t set)
{
    int count = 0;
    for (; set; set &= set - 1)
        ++count;
    return count;
}

// The phases of a rule as the table names them: a whole group by its name.
std::string PhasesText(PhaseSet phases)
{
    if (phases == kOpen)
        return "every phase but Closed";
    if (phases == kRunning)
        return "every running phase";
    if (phases == (Phases(P::Stopped) | kRunning))
        return "Stopped, every running phase";
    return Join(phases, kPhaseCount, PhaseNameAt);
}

std::string TriggersText(TriggerSet triggers)
{
    return triggers == (TriggerSet{1} << kTriggerCount) - 1 ? "anything"
                                                            : Join(triggers, kTriggerCount, TriggerNameAt);
}

}  // namespace

std::string PhaseTableDocument()
{
    // The diagram: the moves of the rules that hold in one or two phases, and a start from Stopped; one
    // arrow for each pair of phases, with its events.
    std::map<std::pair<int, int>, TriggerSet> moves;
    for (const PhaseRule& rule : kPhaseRules) {
        for (int from = 0; from < kPhaseCount; ++from) {
            if (!(rule.from & (PhaseSet{1} << from)) || (Count(rule.from) > 2 && from != 0))
                continue;
            for (int to = 0; to < kPhaseCount; ++to) {
                if (to != from && (rule.to & (PhaseSet{1} << to)))
                    moves[{from, to}] |= rule.triggers;
            }
        }
    }
    std::string text = "```mermaid\nstateDiagram-v2\n    [*] --> Stopped\n";
    for (const auto& [phases, triggers] : moves) {
        text += "    ";
        text += PhaseNameAt(phases.first);
        text += " --> ";
        text += PhaseNameAt(phases.second);
        text += ": " + TriggersText(triggers) + "\n";
    }
    text += "```\n\n"
            "Not drawn: what holds in three phases or more (a new start while running, a change of network, "
            "the program's end, the user's input). The table has every rule; the running phases are " +
            Join(kRunning, kPhaseCount, PhaseNameAt) + ".\n\n";

    // The table: every rule as written.
    text += "| In | On | Leads to |\n|---|---|---|\n";
    for (const PhaseRule& rule : kPhaseRules) {
        std::string to = rule.to == kIgnored ? "ignored" : Join(rule.to & ~kStays, kPhaseCount, PhaseNameAt);
        if (rule.to & kStays)
            to = to.empty() ? "stays" : "stays, or " + to;
        text += "| " + PhasesText(rule.from) + " | " + TriggersText(rule.triggers) + " | " + to + " |\n";
    }
    return text;
}

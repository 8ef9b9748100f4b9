#include "engine/phase_table.h"

#include <map>
#include <utility>

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
        "ReportingFailureThenCountingOn",
        "ReportingStop",
        "ReportingStopThenTrayNotice",
        "ReportingStopThenAutoStart",
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
    if (phases == kReporting)
        return "every reporting phase";
    if (phases == (Phases(Phase::Stopped) | kRunning))
        return "Stopped, every running phase";
    return Join(phases, kPhaseCount, PhaseNameAt);
}

std::string TriggersText(TriggerSet triggers)
{
    return triggers == kEveryTrigger ? "anything" : Join(triggers, kTriggerCount, TriggerNameAt);
}

}  // namespace

std::string PhaseTableDocument(const std::vector<PhaseRule>& rules)
{
    // The diagram: the moves of the rules that hold in one or two phases, and a start from Stopped; one
    // arrow for each pair of phases, with its events.
    std::map<std::pair<int, int>, TriggerSet> moves;
    for (const PhaseRule& rule : rules) {
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
    for (const PhaseRule& rule : rules) {
        std::string to = rule.to == 0 ? "ignored" : Join(rule.to & ~kStays, kPhaseCount, PhaseNameAt);
        if (rule.to & kStays)
            to = to.empty() ? "stays" : "stays, or " + to;
        text += "| " + PhasesText(rule.from) + " | " + TriggersText(rule.triggers) + " | " + to + " |\n";
    }
    return text;
}

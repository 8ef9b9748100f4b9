#include "engine/rules/phases.h"

namespace {

using P = Phase;
using T = Trigger;

}  // namespace

const PhaseMove kPhaseMoves[] = {
    {P::Stopped, T::Start, P::LookingUpLocalAddress},
    {P::Stopped, T::Start, P::CheckingHost},
    {P::Stopped, T::Start, P::CountingDown},
    {P::Stopped, T::PeriodRefused, P::Stopped},
    {P::LookingUpLocalAddress, T::LocalAddressFound, P::CheckingHost},
    {P::LookingUpLocalAddress, T::LocalAddressFound, P::CountingDown},
    {P::LookingUpLocalAddress, T::PeriodRefused, P::Stopped},
    {P::LookingUpLocalAddress, T::LocalAddressFailed, P::Stopped},
    {P::CheckingHost, T::HostFound, P::CountingDown},
    {P::CheckingHost, T::PeriodRefused, P::Stopped},
    {P::CheckingHost, T::HostNotFound, P::Stopped},
    {P::CountingDown, T::ProdleDue, P::Connecting},
    {P::Connecting, T::Connected, P::WaitingForReply},
    {P::Connecting, T::ConnectFailed, P::ReportingFailure},
    {P::Connecting, T::NoConnection, P::CountingDown},
    {P::WaitingForReply, T::ReplyArrived, P::CountingDown},
    {P::WaitingForReply, T::ProdleDue, P::Connecting},
    // Sleep and wake.
    {P::Connecting, T::Suspended, P::CountingDown},
    {P::WaitingForReply, T::Suspended, P::CountingDown},
    {P::LookingUpLocalAddress, T::NetworkDown, P::WaitingForNetwork},
    {P::CheckingHost, T::NetworkDown, P::WaitingForNetwork},
    {P::Connecting, T::NetworkDown, P::WaitingForNetwork},
    {P::WaitingForNetwork, T::RetryDue, P::Connecting},
    // A stop, a new start (which stops first), a failure's box dismissed, or the program's end.
    {P::Stopped, T::Stop, P::Stopped},
    {P::LookingUpLocalAddress, T::Stop, P::Stopped},
    {P::CheckingHost, T::Stop, P::Stopped},
    {P::CountingDown, T::Stop, P::Stopped},
    {P::Connecting, T::Stop, P::Stopped},
    {P::ReportingFailure, T::Stop, P::Stopped},
    {P::WaitingForReply, T::Stop, P::Stopped},
    {P::WaitingForNetwork, T::Stop, P::Stopped},
};

const size_t kPhaseMoveCount = sizeof kPhaseMoves / sizeof kPhaseMoves[0];

bool IsListedMove(Phase from, Trigger trigger, Phase to)
{
    for (const PhaseMove& move : kPhaseMoves) {
        if (move.from == from && move.trigger == trigger && move.to == to)
            return true;
    }
    return false;
}

const char* PhaseName(Phase phase)
{
    switch (phase) {
    case P::Stopped:
        return "Stopped";
    case P::LookingUpLocalAddress:
        return "LookingUpLocalAddress";
    case P::CheckingHost:
        return "CheckingHost";
    case P::CountingDown:
        return "CountingDown";
    case P::Connecting:
        return "Connecting";
    case P::ReportingFailure:
        return "ReportingFailure";
    case P::WaitingForReply:
        return "WaitingForReply";
    case P::WaitingForNetwork:
        return "WaitingForNetwork";
    }
    return "?";
}

const char* TriggerText(Trigger trigger)
{
    switch (trigger) {
    case T::Start:
        return "Start (button 1003, timer 103, random pick, rotation)";
    case T::Stop:
        return "stop";
    case T::LocalAddressFound:
        return "WM_APP+24 answered";
    case T::LocalAddressFailed:
        return "WM_APP+24 failed (box)";
    case T::HostFound:
        return "WM_APP+16 answered";
    case T::HostNotFound:
        return "WM_APP+16 failed (box)";
    case T::PeriodRefused:
        return "minutes refused (box)";
    case T::ProdleDue:
        return "timer 101 reaches the target";
    case T::Connected:
        return "WM_APP+8 FD_CONNECT (request sent)";
    case T::ConnectFailed:
        return "FD_CONNECT error, FD_CLOSE, WM_APP+32 failed, timer 107";
    case T::NoConnection:
        return "no host text or no socket, Ignore on";
    case T::ReplyArrived:
        return "WM_APP+8 FD_READ (first reply data)";
    case T::Suspended:
        return "WM_POWERBROADCAST suspend (connection given up)";
    case T::NetworkDown:
        return "failed within 60 s of a wake (no box)";
    case T::RetryDue:
        return "timer 109 (the same host again)";
    }
    return "?";
}

bool IsCounting(Phase phase)
{
    return phase == P::CountingDown || phase == P::Connecting || phase == P::ReportingFailure ||
           phase == P::WaitingForReply;
}

std::string PhaseDiagram()
{
    std::string diagram = "stateDiagram-v2\n    [*] --> Stopped\n";
    for (const PhaseMove& move : kPhaseMoves) {
        diagram += "    ";
        diagram += PhaseName(move.from);
        diagram += " --> ";
        diagram += PhaseName(move.to);
        diagram += ": ";
        diagram += TriggerText(move.trigger);
        diagram += "\n";
    }
    return diagram;
}

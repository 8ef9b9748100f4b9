// The keep-alive cycle's table: for every phase and event, the handler that answers it and the phases it
// may lead to, or that the event is ignored there. The engine dispatches through it, and the architecture
// page is made from it.
#include "engine/keep_alive_cycle.h"

#include <iterator>

namespace {

using P = Phase;
using T = Trigger;
using C = KeepAliveCycle;

// Where a start leads: the lookup of the local address (once per run), the host's check (a name), the
// countdown (an address), or a refused period's box.
constexpr PhaseSet kStarting =
    Phases(P::LookingUpLocalAddress, P::CheckingHost, P::CountingDown, P::ReportingStop);
// Where a failed connect leads: a wait for the network (soon after a wake), its box, the next host (a
// start), or the only host's box.
constexpr PhaseSet kAfterFailedConnect =
    Phases(P::WaitingForNetworkToProdle, P::ReportingFailure, P::ReportingStopThenTrayNotice) | kStarting;
// Where a prodle leads: a connect, a random host's start, or, with no host to connect to, on counting
// (with "Ignore Connection Failures") or a stop.
constexpr PhaseSet kAfterProdle = Phases(P::Connecting, P::CountingDown, P::Stopped) | kStarting;
constexpr PhaseSet kFailureShown = Phases(P::ReportingFailure, P::ReportingFailureThenCountingOn);
constexpr PhaseSet kConnection = Phases(P::Connecting, P::WaitingForReply);
constexpr PhaseSet kWaitingForNetwork = Phases(P::WaitingForNetworkToStart, P::WaitingForNetworkToProdle);
constexpr PhaseSet kStartingUp =
    Phases(P::LookingUpLocalAddress, P::CheckingHost, P::WaitingForNetworkToStart);
constexpr PhaseSet kCountedDown =
    Phases(P::CountingDown, P::Connecting, P::WaitingForReply, P::WaitingForNetworkToProdle);
constexpr PhaseSet kIgnored = 0;

constexpr PhaseSet OpenBut(PhaseSet phases)
{
    return kOpen & ~phases;
}

}  // namespace

const KeepAliveCycle::Row KeepAliveCycle::kRows[] = {
    // A start stops whatever runs first. Nothing starts behind a box.
    {Phases(P::Stopped) | kRunning, Triggers(T::Start), &C::OnStart, kStarting},
    {kReporting, Triggers(T::Start), nullptr, kIgnored},
    {Phases(P::Stopped), Triggers(T::AutoStartDue), &C::OnAutoStart, kStarting},
    {OpenBut(Phases(P::Stopped)), Triggers(T::AutoStartDue), nullptr, kIgnored},
    {kOpen, Triggers(T::Shutdown), &C::OnShutdown, Phases(P::Closed)},

    // The local address and the host's check.
    {Phases(P::LookingUpLocalAddress), Triggers(T::LocalAddressFound), &C::OnLocalAddressFound,
     Phases(P::CheckingHost, P::CountingDown, P::ReportingStop, P::WaitingForNetworkToStart)},
    {Phases(P::LookingUpLocalAddress), Triggers(T::LocalAddressFailed), &C::OnLocalAddressFailed,
     Phases(P::WaitingForNetworkToStart, P::ReportingStop)},
    {OpenBut(Phases(P::LookingUpLocalAddress)), Triggers(T::LocalAddressFound, T::LocalAddressFailed),
     nullptr, kIgnored},
    {Phases(P::CheckingHost), Triggers(T::HostFound), &C::OnHostFound,
     Phases(P::CountingDown, P::ReportingStop)},
    {Phases(P::CheckingHost), Triggers(T::HostNotFound), &C::OnHostNotFound,
     Phases(P::WaitingForNetworkToStart, P::ReportingStop)},
    {OpenBut(Phases(P::CheckingHost)), Triggers(T::HostFound, T::HostNotFound), nullptr, kIgnored},

    // The countdown. One connection at a time: a prodle that falls due while one is being made, or its
    // failure reported, is skipped.
    {Phases(P::CountingDown, P::WaitingForReply), Triggers(T::ProdleDue), &C::OnProdleDue, kAfterProdle},
    {Phases(P::Connecting) | kFailureShown, Triggers(T::ProdleDue), &C::OnProdleSkipped, kStays},
    {OpenBut(kCounting), Triggers(T::ProdleDue), nullptr, kIgnored},
    {kCounting, Triggers(T::CountdownDue), &C::OnCountdownDue, kStays},
    {OpenBut(kCounting), Triggers(T::CountdownDue), nullptr, kIgnored},

    // One prodle's connection. The rest of a reply only empties the socket.
    {Phases(P::Connecting), Triggers(T::Connected), &C::OnConnected, Phases(P::WaitingForReply)},
    {Phases(P::Connecting), Triggers(T::ConnectBound), &C::OnConnectBound, kAfterFailedConnect},
    {Phases(P::Connecting), Triggers(T::ConnectFailed), &C::OnConnectRefused, kAfterFailedConnect},
    {Phases(P::Connecting), Triggers(T::ConnectionClosed), &C::OnClosedBeforeConnected, kAfterFailedConnect},
    {Phases(P::Connecting), Triggers(T::NoSocket), &C::OnNoSocket, kFailureShown},
    {OpenBut(Phases(P::Connecting)), Triggers(T::Connected, T::ConnectBound, T::ConnectFailed, T::NoSocket),
     nullptr, kIgnored},
    {Phases(P::WaitingForReply), Triggers(T::ReplyData), &C::OnReply, Phases(P::CountingDown)},
    {OpenBut(Phases(P::WaitingForReply)), Triggers(T::ReplyData), nullptr, kIgnored},
    {Phases(P::WaitingForReply), Triggers(T::ConnectionClosed), &C::OnClosedWithoutReply, kStays},
    {Phases(P::CountingDown), Triggers(T::ConnectionClosed), &C::OnClosedAfterReply, kStays},
    {OpenBut(Phases(P::CountingDown, P::WaitingForReply, P::Connecting)), Triggers(T::ConnectionClosed),
     nullptr, kIgnored},

    // Waiting for the network.
    {Phases(P::WaitingForNetworkToStart), Triggers(T::RetryDue), &C::OnRetryStart, kStarting},
    {Phases(P::WaitingForNetworkToProdle), Triggers(T::RetryDue), &C::OnRetryProdle,
     Phases(P::Connecting, P::CountingDown, P::Stopped)},
    {OpenBut(kWaitingForNetwork), Triggers(T::RetryDue), nullptr, kIgnored},

    // Sleep, wake and a change of network. A connection does not live through a sleep; a box waits for the
    // user whatever happens meanwhile.
    {kConnection, Triggers(T::Suspend), &C::OnSuspendDuringConnection, Phases(P::CountingDown)},
    {OpenBut(kReporting | kConnection), Triggers(T::Suspend), &C::OnSuspend, kStays},
    {kReporting, Triggers(T::Suspend), nullptr, kIgnored},
    {kConnection, Triggers(T::Resume), &C::OnWakeDuringConnection, Phases(P::CountingDown) | kStays},
    {Phases(P::CountingDown), Triggers(T::Resume), &C::OnWakeWhileCounting, kStays},
    {kWaitingForNetwork, Triggers(T::Resume), &C::OnWakeWhileWaiting, kStays},
    {Phases(P::LookingUpLocalAddress, P::CheckingHost), Triggers(T::Resume), &C::OnWakeWhileStarting, kStays},
    {Phases(P::Stopped) | kReporting, Triggers(T::Resume), nullptr, kIgnored},
    {kCountedDown, Triggers(T::NetworkChanged), &C::OnNetworkChangedWhileCounting, kStarting},
    {kStartingUp, Triggers(T::NetworkChanged), &C::OnNetworkChangedWhileStarting, kStarting},
    {Phases(P::Stopped) | kReporting, Triggers(T::NetworkChanged), &C::OnNetworkChangedWhileStopped, kStays},

    // What the user confirms or looks at changes no phase.
    {kOpen, Triggers(T::OptionsConfirmed), &C::OnOptionsConfirmed, kStays},
    {kOpen, Triggers(T::HostListConfirmed), &C::OnHostListConfirmed, kStays},
    {kOpen, Triggers(T::HostPicked), &C::OnHostPicked, kStays},
    {kCounting, Triggers(T::FormShown), &C::OnFormShownWhileCounting, kStays},
    {OpenBut(kCounting), Triggers(T::FormShown), &C::OnFormShown, kStays},
    {kOpen, Triggers(T::FormHidden), &C::OnFormHidden, kStays},
    {kOpen, Triggers(T::TipShown), &C::OnTipShown, kStays},
    {kOpen, Triggers(T::TipHidden), &C::OnTipHidden, kStays},

    // A box's answer.
    {Phases(P::ReportingFailure), Triggers(T::BoxClosed), &C::OnFailureBoxClosed, Phases(P::Stopped)},
    {Phases(P::ReportingFailureThenCountingOn), Triggers(T::BoxClosed), &C::OnBoxClosedCountingOn,
     Phases(P::CountingDown)},
    {Phases(P::ReportingStop), Triggers(T::BoxClosed), &C::OnStopBoxClosed, Phases(P::Stopped)},
    {Phases(P::ReportingStopThenTrayNotice), Triggers(T::BoxClosed), &C::OnStopBoxClosedTrayNotice,
     Phases(P::Stopped)},
    {Phases(P::ReportingStopThenAutoStart), Triggers(T::BoxClosed), &C::OnStopBoxClosedAutoStart,
     Phases(P::Stopped)},
    {Phases(P::Stopped) | kRunning, Triggers(T::BoxClosed), nullptr, kIgnored},

    // Nothing happens to an ended program.
    {Phases(P::Closed), kEveryTrigger, nullptr, kIgnored},
};

const KeepAliveCycle::Table& KeepAliveCycle::Rows()
{
    static const Table rows(std::begin(kRows), std::end(kRows));
    return rows;
}

const KeepAliveCycle::Row* KeepAliveCycle::RowFor(const Table& table, Phase phase, Trigger trigger)
{
    for (const Row& row : table) {
        if ((row.from & Phases(phase)) && (row.triggers & Triggers(trigger)))
            return &row;
    }
    return nullptr;
}

std::vector<PhaseRule> KeepAliveCycle::Rules()
{
    std::vector<PhaseRule> rules;
    for (const Row& row : Rows())
        rules.push_back({row.from, row.triggers, row.to});
    return rules;
}

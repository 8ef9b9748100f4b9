// The keep-alive cycle's prodles: a connection, its reply, its failures, and the network's grace after a
// wake or a change of network.
#include "engine/keep_alive_cycle.h"

#include "engine/rules/failure_policy.h"
#include "engine/rules/host_text.h"
#include "engine/rules/http_request.h"

namespace {

constexpr const char* kStoppedWaiting = "Stopped waiting for the network";

}  // namespace

// ---- One prodle -----------------------------------------------------------------------------------

void KeepAliveCycle::Prodle()
{
    m_display.EnableStart(false);
    m_startHeldBack = true;
    // A connection whose server neither replied nor closed is replaced.
    GiveUpRequest();
    BeginConnection(next.Host(), next.first ? next.firstList : hosts.Generation());
}

Ticket KeepAliveCycle::Open(const std::string& host)
{
    request = Request();
    request->ticket = ++lastTicket;
    request->open = true;
    request->host = host;
    return request->ticket;
}

void KeepAliveCycle::BeginConnection(const std::string& host, uint32_t list)
{
    const std::string target = WithoutLeadingSpaces(host);
    if (target.empty()) {
        OnNoHostToConnectTo();
        return;
    }
    phase = Phase::Connecting;
    const Ticket ticket = Open(host);
    request->list = list;
    request->ignoresFailures = options.ignoreFailures;
    request->connectStartedMs = m_clock.NowMs();
    ProdleRecord record;
    record.startedAt = m_clock.EpochSeconds();
    record.host = target;
    request->prodle = record;
    deadlines.Set(Alarm::ConnectBound, request->connectStartedMs + m_parameters.connectBoundMs);
    m_network.Connect(ticket, target);
}

void KeepAliveCycle::OnConnected(const Event& event)
{
    if (request->prodle)
        request->prodle->address = std::get<events::Connected>(event).address;
    deadlines.Clear(Alarm::ConnectBound);
    next.first.reset();
    RememberConnection();
    phase = Phase::WaitingForReply;
    m_display.ShowTrayPicture(TrayPicture::InFlight);
    m_network.Send(request->ticket, BuildProdleRequest(localAddress.value_or("")));
    m_display.ShowStatus("Prodle was sent");
}

void KeepAliveCycle::RememberConnection()
{
    m_display.ShowStatus("Connection made OK");
    // A host new to the list joins it at the end, as given, spaces and all; unless Edit Names confirmed
    // another list since the host was taken, which stands as the user left it.
    const std::string& host = request->host;
    int index = hosts.Find(host);
    if (index < 0 && request->list == hosts.Generation()) {
        index = hosts.Append(host);
        m_display.ShowHosts(hosts.Entries(), index);
    }
    if (index >= 0) {
        SelectHost(index);
        next.later = host;
    }
    m_store.StoreConnection(m_acceptedMinutes, hosts.Entries(), hosts.Selected());
}

void KeepAliveCycle::OnReply(const Event&)
{
    const int replyMs = static_cast<int>(m_clock.NowMs() - request->connectStartedMs);
    lastReplyMs = replyMs;
    EndProdle(ProdleOutcome::Reply, replyMs);
    phase = Phase::CountingDown;
    m_startHeldBack = false;
    m_display.ShowTrayPicture(TrayPicture::Running);
    m_display.ShowStatus("Prodle completed at " + m_clock.TimeOfDay());
    m_display.StopFlashing();
}

// The rest of a reply only empties the socket; the server's close ends the connection.
void KeepAliveCycle::OnClosedAfterReply(const Event&)
{
    request->open = false;
}

void KeepAliveCycle::OnClosedWithoutReply(const Event&)
{
    request->open = false;
    EndProdle(ProdleOutcome::ClosedWithoutReply);
}

void KeepAliveCycle::OnConnectBound(const Event&)
{
    OnConnectionFailed("no answer within " + std::to_string(m_parameters.connectBoundMs / 1000) + " s");
}

void KeepAliveCycle::OnConnectRefused(const Event&)
{
    OnConnectionFailed("refused, or the name not found");
}

// Before the connection was made, a close is its failure.
void KeepAliveCycle::OnClosedBeforeConnected(const Event&)
{
    OnConnectionFailed("closed before it was made");
}

void KeepAliveCycle::OnConnectionFailed(const std::string& why)
{
    deadlines.Clear(Alarm::ConnectBound);
    const bool waits = WaitsForNetwork();
    EndProdle(waits ? ProdleOutcome::WaitedForNetwork : ProdleOutcome::Refused);
    const std::string host = WithoutLeadingSpaces(request->host);
    const bool ignoresFailures = request->ignoresFailures;
    GiveUpRequest();
    const std::string reason =
        "cannot connect to " + host + " on port " + std::to_string(kHttpPort) + ": " + why;
    if (waits) {
        WaitForNetwork(Phase::WaitingForNetworkToProdle, reason);
        return;
    }
    EndNetworkWait(kStoppedWaiting);
    next.first.reset();
    const FailureDecision decision =
        DecideAfterFailure(FailureKind::CannotConnect, ignoresFailures, hosts.Find(host), hosts.Count());
    switch (decision.action) {
    case FailureAction::StopWithBox:
        m_journal.Note("Failure: " + reason);
        ShowBox("Prodle: Cannot connect to " + host + " on port " + std::to_string(kHttpPort) +
                    TimeStampSuffix(),
                Phase::ReportingFailure);
        return;
    case FailureAction::NextHost:
        m_display.ShowStatus("Last connection failed");
        SelectHost(decision.hostIndex);
        m_journal.Note("Failure: " + reason + "; the next host is " + hosts.Text());
        StartCycle(Texts::FromBoxes);
        return;
    case FailureAction::ResetIgnoreAndStop:
        m_journal.Note("Failure: " + reason +
                       "; it is the only host, so \"Ignore Connection Failures\" is off");
        m_display.ShowStatus("Last connection failed");
        StopCycle(false);
        options.ignoreFailures = false;
        m_store.StoreIgnoreFailuresOff();
        ShowBox("You had a connection failure on the only\ndomain in the list.\n\n"
                "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle",
                Phase::ReportingStopThenTrayNotice);
        return;
    case FailureAction::Stop:
    case FailureAction::CountOn:
        return;  // not for a connect that was tried
    }
}

void KeepAliveCycle::OnNoHostToConnectTo()
{
    next.first.reset();
    const FailureDecision decision =
        DecideAfterFailure(FailureKind::NoAttempt, options.ignoreFailures, -1, 0);
    m_journal.Note("Failure: no host to connect to");
    if (decision.action == FailureAction::CountOn)
        phase = Phase::CountingDown;
    else
        StopCycle(true);
}

void KeepAliveCycle::OnNoSocket(const Event&)
{
    deadlines.Clear(Alarm::ConnectBound);
    EndProdle(ProdleOutcome::Refused);
    const bool ignoresFailures = request->ignoresFailures;
    GiveUpRequest();
    next.first.reset();
    m_journal.Note("Failure: no socket could be made");
    // Reported whatever the option says; after the box the option decides as for no host at all.
    const FailureDecision decision = DecideAfterFailure(FailureKind::NoAttempt, ignoresFailures, -1, 0);
    ShowBox("Prodle: Error opening stream socket" + TimeStampSuffix(),
            decision.action == FailureAction::CountOn ? Phase::ReportingFailureThenCountingOn
                                                      : Phase::ReportingFailure);
}

void KeepAliveCycle::GiveUpRequest()
{
    if (request && request->open)
        m_network.Close(request->ticket);
    // A prodle given up before its reply (replaced, stopped, or before a sleep) had none.
    EndProdle(ProdleOutcome::NoReply);
    request.reset();
}

void KeepAliveCycle::EndProdle(ProdleOutcome outcome, int replyMs)
{
    if (!request || !request->prodle)
        return;
    ProdleRecord record = *request->prodle;
    request->prodle.reset();
    // A wait for the network is one record, however many tries it takes.
    if (outcome == ProdleOutcome::WaitedForNetwork && m_grace.wait)
        return;
    record.outcome = outcome;
    record.replyMs = replyMs;
    m_history.Record(record);
}

void KeepAliveCycle::RecordLookupFailure(const std::string& host, ProdleOutcome outcome)
{
    if (outcome == ProdleOutcome::WaitedForNetwork && m_grace.wait)
        return;  // the wait has its record
    ProdleRecord record;
    record.startedAt = m_clock.EpochSeconds();
    record.host = WithoutLeadingSpaces(host);
    record.outcome = outcome;
    m_history.Record(record);
}

void KeepAliveCycle::GiveUpConnectionQuietly()
{
    deadlines.Clear(Alarm::ConnectBound);
    GiveUpRequest();
    phase = Phase::CountingDown;
    m_display.ShowTrayPicture(TrayPicture::Running);
}

// ---- Sleep, wake and the network ------------------------------------------------------------------

bool KeepAliveCycle::WaitsForNetwork()
{
    if (!m_grace.since)
        return false;
    if (m_clock.NowMs() - *m_grace.since < m_parameters.networkGraceMs)
        return true;
    m_grace.since.reset();  // the network had its time: failures take their usual course again
    return false;
}

void KeepAliveCycle::WaitForNetwork(Phase waiting, const std::string& reason)
{
    // Its first failure is told; the retries are only counted.
    if (!m_grace.wait) {
        m_journal.Note("Waiting for the network: " + reason);
        m_grace.wait = NetworkGrace::Wait{m_clock.NowMs()};
    }
    phase = waiting;
    deadlines.Clear(Alarm::Prodle);
    deadlines.Set(Alarm::NetworkRetry, m_clock.NowMs() + m_parameters.retryMs);
    m_display.ShowStatus("Waiting for the network");
    // No countdown runs while it waits: the label goes grey and the time blank, as when stopped.
    m_display.ShowCounting(false);
    m_display.ShowCountdown("");
    m_display.ShowTrayTip("Prodle is waiting for the network");
}

void KeepAliveCycle::EndNetworkWait(const std::string& how)
{
    if (!m_grace.wait)
        return;
    const uint64_t seconds = (m_clock.NowMs() - m_grace.wait->since) / 1000;
    const int tries = m_grace.wait->tries;
    m_journal.Note(how + " after " + std::to_string(seconds) + " s and " + std::to_string(tries) +
                   (tries == 1 ? " try" : " tries"));
    m_grace.wait.reset();
}

void KeepAliveCycle::OnRetryStart(const Event&)
{
    if (m_grace.wait)
        ++m_grace.wait->tries;
    StartCycle(Texts::OfTheCycle);
}

// The prodle goes out now, and the period counts from it.
void KeepAliveCycle::OnRetryProdle(const Event&)
{
    if (m_grace.wait)
        ++m_grace.wait->tries;
    m_display.ShowCounting(true);
    SetNextTarget();
    Prodle();
}

void KeepAliveCycle::OnSuspend(const Event&)
{
    m_journal.Note("Sleep");
    m_grace.suspendedSinceWake = true;
    // A wait for the network keeps its deadline: nothing runs while the machine sleeps, and after it the
    // try comes at once, with or without the wake's announcement.
}

void KeepAliveCycle::OnSuspendDuringConnection(const Event& event)
{
    OnSuspend(event);
    GiveUpConnectionQuietly();
}

bool KeepAliveCycle::Woke()
{
    const uint64_t now = m_clock.NowMs();
    // Windows announces one wake twice (at once, and again when the user is back); a wake that follows
    // another without a sleep between, and within the network's grace, is that same wake.
    if (m_grace.lastWake && !m_grace.suspendedSinceWake &&
        now - *m_grace.lastWake < m_parameters.networkGraceMs)
        return false;
    m_journal.Note("Wake");
    m_grace.lastWake = m_grace.since = now;
    m_grace.suspendedSinceWake = false;
    return true;
}

void KeepAliveCycle::OnWakeWhileCounting(const Event&)
{
    if (Woke())
        ProdleAfterWake();
}

void KeepAliveCycle::OnWakeDuringConnection(const Event&)
{
    if (!Woke())
        return;
    // A connection that lived through the sleep (its suspend went unannounced) has lost its time in it.
    GiveUpConnectionQuietly();
    ProdleAfterWake();
}

void KeepAliveCycle::ProdleAfterWake()
{
    // The link was idle all through the sleep: it needs a prodle now, to the current host.
    deadlines.Set(Alarm::Prodle, m_clock.NowMs() + 1000);
    next.firstExpiry = true;
}

void KeepAliveCycle::OnWakeWhileWaiting(const Event&)
{
    if (Woke())
        deadlines.Set(Alarm::NetworkRetry, m_clock.NowMs() + 1000);
}

void KeepAliveCycle::OnWakeWhileStarting(const Event&)
{
    Woke();
}

// The local address may have changed with the network; the host's check and the first prodle follow at
// once, and for a while a failure waits for the network to settle.
void KeepAliveCycle::OnNetworkChangedWhileCounting(const Event& event)
{
    // The restart checks the host the next prodle would have gone to, unless the user deleted that one.
    const bool deleted = next.first && next.firstList != hosts.Generation() && hosts.Find(*next.first) < 0;
    next.startHost = deleted ? next.later : next.Host();
    OnNetworkChangedWhileStarting(event);
}

void KeepAliveCycle::OnNetworkChangedWhileStarting(const Event& event)
{
    OnNetworkChangedWhileStopped(event);
    m_grace.since = m_clock.NowMs();
    StartCycle(Texts::OfTheCycle);
}

void KeepAliveCycle::OnNetworkChangedWhileStopped(const Event&)
{
    localAddress.reset();
    m_journal.Note("The network changed");
}

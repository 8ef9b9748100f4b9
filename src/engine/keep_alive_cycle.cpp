#include "engine/keep_alive_cycle.h"

#include <utility>

#include "engine/rules/countdown_text.h"
#include "engine/rules/failure_policy.h"
#include "engine/rules/host_text.h"
#include "engine/rules/http_request.h"
#include "engine/rules/minutes_text.h"
#include "engine/rules/random_offset.h"

namespace {

constexpr const char* kRestoringDefaults = "Prodle is restoring the default domain set.";
constexpr const char* kWaitingForNetwork = "Waiting for the network";

}  // namespace

KeepAliveCycle::KeepAliveCycle(DeferredPorts& ports, const Settings& settings, Parameters parameters)
    : m_clock(ports), m_network(ports), m_display(ports), m_store(ports), m_journal(ports), m_history(ports),
      m_parameters(std::move(parameters)), m_random(m_parameters.seed)
{
    state.launchTime = m_parameters.launchTime.empty() ? m_clock.TimeOfDay() : m_parameters.launchTime;
    state.options = settings.options;
    if (settings.launchesStopped)
        m_display.ShowTrayPicture(TrayPicture::Stopped);
    state.minutes = state.acceptedMinutes = state.cycleMinutes = settings.often;
    m_display.ShowMinutes(settings.often);
    ApplyHostList(settings.hosts, settings.selected, false);
    m_display.EnableStart(true);
    // Last: the form is ready when it says so.
    m_display.ShowStatus("PLEASE START ME");
    // An empty list was replaced by the default set, which the user is told of before anything starts.
    const AfterBox afterStart = state.options.autoStart ? AfterBox::AutoStart : AfterBox::Nothing;
    if (settings.hosts.empty())
        ReportStop(kRestoringDefaults, afterStart);
    else if (afterStart == AfterBox::AutoStart)
        state.deadlines.Set(Alarm::AutoStart, m_clock.NowMs() + 1000);
}

void KeepAliveCycle::ReadBoxes()
{
    state.minutes = m_display.MinutesBoxText();
    state.hosts.Type(m_display.HostBoxText());
}

void KeepAliveCycle::Act(const Event& event)
{
    State& s = state;
    switch (event.trigger) {
    case Trigger::Start:
    case Trigger::AutoStartDue:
        m_journal.Note(std::string(event.trigger == Trigger::Start ? "Start" : "Auto-start") + ", host " +
                       s.hosts.Text() + ", every " + s.minutes + " minutes");
        StartCycle(Texts::FromBoxes);
        return;
    case Trigger::Shutdown:
        s.prodle.reset();  // nothing of it is known: not in the history
        StopCycle(false);
        s.phase = Phase::Closed;
        EndNetworkWait("Stopped waiting for the network");
        m_journal.Note("Exit");
        return;
    case Trigger::ProdleDue:
        OnProdleDue();
        return;
    case Trigger::ConnectBound:
        OnConnectionFailed("no answer within " + std::to_string(m_parameters.connectBoundMs / 1000) + " s");
        return;
    case Trigger::ConnectFailed:
        OnConnectionFailed("refused, or the name not found");
        return;
    case Trigger::ConnectionClosed:
        // Before the connection was made, a close is its failure; after, it ends the connection only.
        if (s.phase == Phase::Connecting) {
            OnConnectionFailed("closed before it was made");
            return;
        }
        s.ticketOpen = false;
        if (s.phase == Phase::WaitingForReply)
            EndProdle(ProdleOutcome::ClosedWithoutReply);
        return;
    case Trigger::NoSocket:
        OnSocketRefused();
        return;
    case Trigger::Connected:
        OnConnectedNow(event.text);
        return;
    case Trigger::ReplyData:
        // The first data complete the prodle; the rest of the reply only empties the socket.
        if (s.phase == Phase::WaitingForReply)
            OnReply();
        return;
    case Trigger::LocalAddressFound:
        OnLocalAddress(event.text);
        return;
    case Trigger::LocalAddressFailed:
        OnStartLookupFailed("Unable to get local IP address.\nHave you dialed your ISP?",
                            "no local IP address");
        return;
    case Trigger::HostFound:
        s.ticketOpen = false;
        StartCountdown();
        return;
    case Trigger::HostNotFound:
        OnStartLookupFailed("Prodle: Name " + s.cycleHost + " Not Found",
                            "name " + s.cycleHost + " not found");
        return;
    case Trigger::RetryDue:
        OnRetryDue();
        return;
    case Trigger::CountdownDue:
        // The Start button comes back at the first tick the user can see after a reply.
        if (!s.startHeldBack)
            m_display.EnableStart(true);
        return;
    case Trigger::Suspend:
        OnSuspendNow();
        return;
    case Trigger::Resume:
        OnResumeNow();
        return;
    case Trigger::NetworkChanged:
        // The local address may have changed with the network; the host's check and the first prodle
        // follow at once, and for a while a failure waits for the network to settle.
        s.localAddressKnown = false;
        m_journal.Note("The network changed");
        if (s.phase != Phase::Stopped && s.phase != Phase::ReportingFailure &&
            s.phase != Phase::ReportingStop) {
            s.graceSince = m_clock.NowMs();
            StartCycle(Texts::OfTheCycle);
        }
        return;
    case Trigger::OptionsConfirmed: {
        // Each takes effect at its next use; nothing restarts. "Debug" has no box in the dialog.
        const bool debug = s.options.debug;
        s.options = event.options;
        s.options.debug = debug;
        m_store.StoreOptions(s.options);
        return;
    }
    case Trigger::HostListConfirmed: {
        // A host the user deleted does not come back with a connection begun before; one that was in no
        // list since it was taken (typed) is not deleted, and joins the new list when it connects.
        const bool firstHostNew =
            s.firstHostGeneration == s.listGeneration && !(s.firstHost && s.hosts.Find(*s.firstHost) >= 0);
        const bool connectHostNew =
            s.connectGeneration == s.listGeneration && s.hosts.Find(s.connectHost) < 0;
        const bool cycleHostListed = s.hosts.Find(s.cycleHost) >= 0;
        m_store.StoreHostList(event.hosts, event.index);
        ApplyHostList(event.hosts, event.index, true);
        ++s.listGeneration;
        // A start under way whose host was deleted goes on with the host the dialog left selected.
        if (cycleHostListed && s.hosts.Find(s.cycleHost) < 0)
            s.cycleHost = s.laterHost;
        if (firstHostNew)
            s.firstHostGeneration = s.listGeneration;
        if (connectHostNew)
            s.connectGeneration = s.listGeneration;
        return;
    }
    case Trigger::HostPicked:
        s.hosts.Select(event.index);
        return;
    case Trigger::BoxClosed:
        OnBoxClosedNow();
        return;
    case Trigger::FormShown:
        s.formShown = true;
        if (!s.startHeldBack && IsCounting(s.phase))
            m_display.EnableStart(true);
        return;
    case Trigger::FormHidden:
        s.formShown = false;
        return;
    case Trigger::TipShown:
    case Trigger::TipHidden:
        s.tipShown = event.trigger == Trigger::TipShown;
        return;
    }
}

void KeepAliveCycle::Settle()
{
    State& s = state;
    const bool waiting = s.phase == Phase::LookingUpLocalAddress || s.phase == Phase::CheckingHost ||
                         s.phase == Phase::Connecting;
    if (waiting != s.shownWaiting) {
        s.shownWaiting = waiting;
        m_display.ShowWaiting(waiting);
    }
    ShowCountdown();
    // A wait for the network ends with the first step that gets through, or with the cycle.
    switch (s.phase) {
    case Phase::CountingDown:
    case Phase::WaitingForReply:
        EndNetworkWait("The network is back");
        break;
    case Phase::Stopped:
    case Phase::ReportingFailure:
    case Phase::ReportingStop:
    case Phase::Closed:
        EndNetworkWait("Stopped waiting for the network");
        break;
    default:
        break;
    }
    s.deadlines.Sync(m_clock);
}

// ---- Start and stop -------------------------------------------------------------------------------

void KeepAliveCycle::StartCycle(Texts texts)
{
    State& s = state;
    if (texts == Texts::FromBoxes) {
        s.cycleHost = s.hosts.Text();
        s.cycleMinutes = s.minutes;
    } else if (IsCounting(s.phase) || s.phase == Phase::WaitingForNetworkToProdle) {
        // The countdown ran: the restart checks the host its next prodle would have gone to, unless the
        // user deleted that one since.
        const bool deleted =
            s.firstHost && s.firstHostGeneration != s.listGeneration && s.hosts.Find(*s.firstHost) < 0;
        s.cycleHost = deleted ? s.laterHost : NextProdleHost();
    }
    s.startReadsBoxes = texts == Texts::FromBoxes;
    StopCycle(false);
    m_display.ShowTrayPicture(TrayPicture::Running);
    m_display.EnableStart(false);
    state.startHeldBack = true;
    m_display.ShowStatus("Starting Connection");
    if (state.localAddressKnown) {
        CheckHost();
        return;
    }
    m_display.ShowStatus("Getting Local IP Address");
    LookUpLocalAddress();
}

void KeepAliveCycle::StopCycle(bool trayNotice)
{
    State& s = state;
    GiveUpRequest();
    s.phase = Phase::Stopped;
    s.startHeldBack = false;
    for (Alarm alarm : {Alarm::AutoStart, Alarm::ConnectBound, Alarm::NetworkRetry, Alarm::Prodle})
        s.deadlines.Clear(alarm);
    m_display.EnableStart(true);
    m_display.ShowStatus("NOT RUNNING");
    m_display.ShowCountdown("");
    s.shownCountdown.clear();
    m_display.ShowCounting(false);
    if (trayNotice) {
        m_journal.Note("Stopped");
        ShowTip("Prodle has stopped");
        m_display.ShowTrayPicture(TrayPicture::Stopped);
    }
}

void KeepAliveCycle::LookUpLocalAddress()
{
    State& s = state;
    s.localAddress = "no address yet";
    s.ticket++;
    s.ticketOpen = true;
    m_network.LookUpLocalAddress(s.ticket);
    m_display.ShowStatus("Determining Local IP Address");
    s.phase = Phase::LookingUpLocalAddress;
}

void KeepAliveCycle::OnLocalAddress(const std::string& address)
{
    state.ticketOpen = false;
    if (!StartsWithDigit(address)) {
        OnStartLookupFailed("Unable to get local IP address.\nHave you dialed your ISP?",
                            "no local IP address");
        return;
    }
    state.localAddress = address;
    state.localAddressKnown = true;
    CheckHost();
}

void KeepAliveCycle::CheckHost()
{
    State& s = state;
    if (s.startReadsBoxes)
        s.cycleHost = s.hosts.Text();
    // An address needs no lookup; anything else, an empty text or one with spaces before it included, is
    // looked up as a name.
    if (StartsWithDigit(s.cycleHost)) {
        StartCountdown();
        return;
    }
    s.ticket++;
    s.ticketOpen = true;
    m_network.LookUpHost(s.ticket, s.cycleHost);
    m_display.ShowStatus("Validating Domain Name");
    s.phase = Phase::CheckingHost;
}

void KeepAliveCycle::OnStartLookupFailed(const std::string& box, const std::string& reason)
{
    state.ticketOpen = false;
    const bool waits = WaitsForNetwork();
    RecordLookupFailure(state.cycleHost,
                        waits ? ProdleOutcome::WaitedForNetwork : ProdleOutcome::LookupFailed);
    if (waits) {
        WaitForNetwork(Phase::WaitingForNetworkToStart, reason);
        return;
    }
    EndNetworkWait("Stopped waiting for the network");
    m_journal.Note("Failure: " + reason);
    StopCycle(true);
    ReportStop(box + TimeStampSuffix(), AfterBox::Nothing);
}

void KeepAliveCycle::StartCountdown()
{
    State& s = state;
    // A start the user asked for takes the boxes as they are now (the user may have typed while the
    // checks ran).
    if (s.startReadsBoxes) {
        s.cycleMinutes = s.minutes;
        s.cycleHost = s.hosts.Text();
    }
    const PeriodCheck period = CheckMinutesText(s.cycleMinutes.c_str(), s.options.debug);
    if (!period.accepted) {
        m_journal.Note("Failure: the period \"" + s.cycleMinutes + "\" is not between 1 and 60 minutes");
        StopCycle(true);
        s.minutes = s.cycleMinutes = s.acceptedMinutes;
        m_display.ShowMinutes(s.acceptedMinutes);
        ReportStop("Prodle: Time period must be between 1 and 60", AfterBox::Nothing);
        return;
    }
    s.acceptedMinutes = s.cycleMinutes;
    s.periodSecs = period.periodSecs;
    // The first prodle a second from now; the later ones a period apart.
    s.deadlines.Set(Alarm::Prodle, m_clock.NowMs() + 1000);
    s.firstHost = s.cycleHost;
    s.firstHostGeneration = s.listGeneration;
    s.firstExpiry = true;
    m_display.ShowCounting(true);
    // The status line keeps the text of the step before until the first prodle writes its own.
    s.phase = Phase::CountingDown;
}

// ---- The countdown --------------------------------------------------------------------------------

void KeepAliveCycle::OnProdleDue()
{
    State& s = state;
    if (s.phase == Phase::Connecting || s.phase == Phase::ReportingFailure) {
        // One connection at a time: this prodle is skipped, and the count starts over.
        SetNextTarget();
        return;
    }
    const bool pickAnotherHost = s.options.randomHost && !s.firstExpiry && s.hosts.Count() > 0;
    if (s.options.randomHost)
        s.firstExpiry = false;
    if (pickAnotherHost) {
        // The cycle starts over from the picked host's check; its prodle follows a second after.
        SelectHost(s.hosts.PickOther([this] { return Draw(); }));
        StartCycle(Texts::FromBoxes);
        return;
    }
    SetNextTarget();
    Prodle();
}

void KeepAliveCycle::SetNextTarget()
{
    State& s = state;
    int target = s.periodSecs;
    if (s.options.randomTime) {
        const int limit = s.options.debug ? 5 : 30;
        int offset = 0;
        while (offset == 0)
            offset = OffsetFromDraw(Draw(), limit);
        target = TargetWithOffset(s.periodSecs, offset);
    }
    s.deadlines.Set(Alarm::Prodle, m_clock.NowMs() + static_cast<uint64_t>(target > 1 ? target : 1) * 1000);
}

void KeepAliveCycle::ShowCountdown()
{
    State& s = state;
    s.deadlines.Clear(Alarm::Countdown);
    const std::optional<uint64_t> prodleAt = s.deadlines.At(Alarm::Prodle);
    if (!IsCounting(s.phase) || !prodleAt)
        return;
    const uint64_t now = m_clock.NowMs();
    const uint64_t left = *prodleAt > now ? *prodleAt - now : 0;
    // Whole seconds, rounded up; a prodle that is due is about to go, so the text never says 0:00.
    const uint64_t seconds = left <= 1000 ? 1 : (left + 999) / 1000;
    const std::string text = FormatCountdown(static_cast<int>(seconds));
    if (text != s.shownCountdown) {
        s.shownCountdown = text;
        m_display.ShowCountdown(text);
    }
    // With the last reply's time, as the history has it: well within the tip's 63 characters, and in
    // ASCII, which reads the same in every code page.
    ShowTip("Prodle in " + text +
            (s.lastReplyMs ? " - last reply " + std::to_string(*s.lastReplyMs) + " ms" : std::string()));
    // Each second only while someone can see it: the form, or the tray's tip.
    if (s.formShown || s.tipShown)
        s.deadlines.Set(Alarm::Countdown, *prodleAt - (seconds - 1) * 1000);
}

// ---- One prodle -----------------------------------------------------------------------------------

void KeepAliveCycle::Prodle()
{
    State& s = state;
    m_display.EnableStart(false);
    s.startHeldBack = true;
    // A connection whose server neither replied nor closed is replaced.
    GiveUpRequest();
    BeginConnection(NextProdleHost(), s.firstHost ? s.firstHostGeneration : s.listGeneration);
}

void KeepAliveCycle::BeginConnection(const std::string& host, uint32_t listGeneration)
{
    State& s = state;
    s.connectHost = host;
    s.connectGeneration = listGeneration;
    s.connectIgnoresFailures = s.options.ignoreFailures;
    const std::string target = WithoutLeadingSpaces(host);
    if (target.empty()) {
        OnNoHostToConnectTo();
        return;
    }
    s.ticket++;
    s.ticketOpen = true;
    m_network.Connect(s.ticket, target);
    s.connectStartedMs = m_clock.NowMs();
    s.deadlines.Set(Alarm::ConnectBound, s.connectStartedMs + m_parameters.connectBoundMs);
    s.phase = Phase::Connecting;
    ProdleRecord record;
    record.startedAt = m_clock.EpochSeconds();
    record.host = target;
    s.prodle = record;
}

void KeepAliveCycle::OnConnectedNow(const std::string& address)
{
    State& s = state;
    if (s.prodle)
        s.prodle->address = address;
    s.deadlines.Clear(Alarm::ConnectBound);
    s.firstHost.reset();
    RememberConnection();
    s.phase = Phase::WaitingForReply;
    m_display.ShowTrayPicture(TrayPicture::InFlight);
    m_network.Send(s.ticket, BuildProdleRequest(s.localAddress));
    m_display.ShowStatus("Prodle was sent");
}

void KeepAliveCycle::RememberConnection()
{
    State& s = state;
    m_display.ShowStatus("Connection made OK");
    // A host new to the list joins it at the end, as given, spaces and all; unless Edit Names confirmed
    // another list since the host was taken, which stands as the user left it.
    int index = s.hosts.Find(s.connectHost);
    if (index < 0 && s.connectGeneration == s.listGeneration) {
        index = s.hosts.Append(s.connectHost);
        m_display.ShowHosts(s.hosts.Entries(), index);
    }
    if (index >= 0) {
        SelectHost(index);
        s.laterHost = s.connectHost;
    }
    m_store.StoreConnection(s.acceptedMinutes, s.hosts.Entries(), s.hosts.Selected());
}

void KeepAliveCycle::OnReply()
{
    const int replyMs = static_cast<int>(m_clock.NowMs() - state.connectStartedMs);
    state.lastReplyMs = replyMs;
    EndProdle(ProdleOutcome::Reply, replyMs);
    state.phase = Phase::CountingDown;
    state.startHeldBack = false;
    m_display.ShowTrayPicture(TrayPicture::Running);
    m_display.ShowStatus("Prodle completed at " + m_clock.TimeOfDay());
    m_display.StopFlashing();
}

void KeepAliveCycle::OnConnectionFailed(const std::string& why)
{
    State& s = state;
    s.deadlines.Clear(Alarm::ConnectBound);
    const bool waits = WaitsForNetwork();
    EndProdle(waits ? ProdleOutcome::WaitedForNetwork : ProdleOutcome::Refused);
    GiveUpRequest();
    const std::string host = WithoutLeadingSpaces(s.connectHost);
    const std::string reason =
        "cannot connect to " + host + " on port " + std::to_string(kHttpPort) + ": " + why;
    if (waits) {
        WaitForNetwork(Phase::WaitingForNetworkToProdle, reason);
        return;
    }
    EndNetworkWait("Stopped waiting for the network");
    s.firstHost.reset();
    const FailureDecision decision = DecideAfterFailure(FailureKind::CannotConnect, s.connectIgnoresFailures,
                                                        s.hosts.Find(host), s.hosts.Count());
    switch (decision.action) {
    case FailureAction::StopWithBox:
        m_journal.Note("Failure: " + reason);
        ReportFailure("Prodle: Cannot connect to " + host + " on port " + std::to_string(kHttpPort) +
                          TimeStampSuffix(),
                      AfterBox::StopWithNotice);
        return;
    case FailureAction::NextHost:
        m_display.ShowStatus("Last connection failed");
        SelectHost(decision.hostIndex);
        m_journal.Note("Failure: " + reason + "; the next host is " + s.hosts.Text());
        StartCycle(Texts::FromBoxes);
        return;
    case FailureAction::ResetIgnoreAndStop:
        m_journal.Note("Failure: " + reason +
                       "; it is the only host, so \"Ignore Connection Failures\" is off");
        m_display.ShowStatus("Last connection failed");
        StopCycle(false);
        s.options.ignoreFailures = false;
        m_store.StoreIgnoreFailuresOff();
        ReportStop("You had a connection failure on the only\ndomain in the list.\n\n"
                   "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle",
                   AfterBox::TrayNotice);
        return;
    case FailureAction::Stop:
    case FailureAction::CountOn:
        return;  // not for a connect that was tried
    }
}

void KeepAliveCycle::OnNoHostToConnectTo()
{
    State& s = state;
    s.firstHost.reset();
    const FailureDecision decision =
        DecideAfterFailure(FailureKind::NoAttempt, s.connectIgnoresFailures, -1, 0);
    m_journal.Note("Failure: no host to connect to");
    if (decision.action == FailureAction::CountOn)
        s.phase = Phase::CountingDown;
    else
        StopCycle(true);
}

void KeepAliveCycle::OnSocketRefused()
{
    State& s = state;
    s.deadlines.Clear(Alarm::ConnectBound);
    EndProdle(ProdleOutcome::Refused);
    GiveUpRequest();
    s.firstHost.reset();
    m_journal.Note("Failure: no socket could be made");
    // Reported whatever the option says; after the box the option decides as for no host at all.
    const FailureDecision decision =
        DecideAfterFailure(FailureKind::NoAttempt, s.connectIgnoresFailures, -1, 0);
    ReportFailure("Prodle: Error opening stream socket" + TimeStampSuffix(),
                  decision.action == FailureAction::CountOn ? AfterBox::CountOn : AfterBox::StopWithNotice);
}

void KeepAliveCycle::GiveUpRequest()
{
    State& s = state;
    if (s.ticketOpen)
        m_network.Close(s.ticket);
    s.ticketOpen = false;
    // A prodle given up before its reply (replaced, stopped, or before a sleep) had none.
    EndProdle(ProdleOutcome::NoReply);
}

void KeepAliveCycle::EndProdle(ProdleOutcome outcome, int replyMs)
{
    State& s = state;
    if (!s.prodle)
        return;
    // A wait for the network is one record, however many tries it takes.
    if (outcome == ProdleOutcome::WaitedForNetwork && s.networkWait) {
        s.prodle.reset();
        return;
    }
    s.prodle->outcome = outcome;
    s.prodle->replyMs = replyMs;
    m_history.Record(*s.prodle);
    s.prodle.reset();
}

void KeepAliveCycle::RecordLookupFailure(const std::string& host, ProdleOutcome outcome)
{
    if (outcome == ProdleOutcome::WaitedForNetwork && state.networkWait)
        return;  // the wait has its record
    ProdleRecord record;
    record.startedAt = m_clock.EpochSeconds();
    record.host = WithoutLeadingSpaces(host);
    record.outcome = outcome;
    m_history.Record(record);
}

void KeepAliveCycle::GiveUpConnectionQuietly()
{
    state.deadlines.Clear(Alarm::ConnectBound);
    GiveUpRequest();
    state.phase = Phase::CountingDown;
    m_display.ShowTrayPicture(TrayPicture::Running);
}

// ---- Sleep, wake and the network ------------------------------------------------------------------

bool KeepAliveCycle::WaitsForNetwork()
{
    State& s = state;
    if (!s.graceSince)
        return false;
    if (m_clock.NowMs() - *s.graceSince < m_parameters.networkGraceMs)
        return true;
    s.graceSince.reset();  // the network had its time: failures take their usual course again
    return false;
}

void KeepAliveCycle::WaitForNetwork(Phase waiting, const std::string& reason)
{
    State& s = state;
    // Its first failure is told; the retries are only counted.
    if (!s.networkWait) {
        m_journal.Note("Waiting for the network: " + reason);
        s.networkWait = State::NetworkWait{m_clock.NowMs()};
    }
    s.phase = waiting;
    s.deadlines.Clear(Alarm::Prodle);
    s.deadlines.Set(Alarm::NetworkRetry, m_clock.NowMs() + m_parameters.retryMs);
    m_display.ShowStatus(kWaitingForNetwork);
    // No countdown runs while it waits: the label goes grey and the time blank, as when stopped.
    m_display.ShowCounting(false);
    m_display.ShowCountdown("");
    s.shownCountdown.clear();
    ShowTip("Prodle is waiting for the network");
}

void KeepAliveCycle::EndNetworkWait(const std::string& how)
{
    State& s = state;
    if (!s.networkWait)
        return;
    const uint64_t seconds = (m_clock.NowMs() - s.networkWait->since) / 1000;
    const int tries = s.networkWait->tries;
    m_journal.Note(how + " after " + std::to_string(seconds) + " s and " + std::to_string(tries) +
                   (tries == 1 ? " try" : " tries"));
    s.networkWait.reset();
}

void KeepAliveCycle::OnRetryDue()
{
    State& s = state;
    s.deadlines.Clear(Alarm::NetworkRetry);
    if (s.networkWait)
        ++s.networkWait->tries;
    if (s.phase == Phase::WaitingForNetworkToStart) {
        StartCycle(Texts::OfTheCycle);
        return;
    }
    // The prodle goes out now, and the period counts from it.
    m_display.ShowCounting(true);
    SetNextTarget();
    Prodle();
}

void KeepAliveCycle::OnSuspendNow()
{
    State& s = state;
    m_journal.Note("Sleep");
    s.suspendedSinceWake = true;
    if (s.phase == Phase::Connecting || s.phase == Phase::WaitingForReply)
        GiveUpConnectionQuietly();
    // A wait for the network keeps its deadline: nothing runs while the machine sleeps, and after it the
    // try comes at once, with or without the wake's announcement.
}

void KeepAliveCycle::OnResumeNow()
{
    State& s = state;
    const uint64_t now = m_clock.NowMs();
    // Windows announces one wake twice (at once, and again when the user is back); a wake that follows
    // another without a sleep between, and within the network's grace, is that same wake.
    if (s.lastWake && !s.suspendedSinceWake && now - *s.lastWake < m_parameters.networkGraceMs)
        return;
    m_journal.Note("Wake");
    s.lastWake = now;
    s.suspendedSinceWake = false;
    s.graceSince = now;
    // A connection that lived through the sleep (its suspend went unannounced) has lost its time in it.
    if (s.phase == Phase::Connecting || s.phase == Phase::WaitingForReply)
        GiveUpConnectionQuietly();
    if (s.phase == Phase::CountingDown) {
        // The link was idle all through the sleep: it needs a prodle now, to the current host.
        s.deadlines.Set(Alarm::Prodle, now + 1000);
        s.firstExpiry = true;
    } else if (s.phase == Phase::WaitingForNetworkToStart || s.phase == Phase::WaitingForNetworkToProdle) {
        s.deadlines.Set(Alarm::NetworkRetry, now + 1000);
    }
}

// ---- The host list and the boxes ------------------------------------------------------------------

void KeepAliveCycle::ApplyHostList(std::vector<std::string> hosts, int selected, bool notice)
{
    State& s = state;
    if (hosts.empty()) {
        // Shown, not stored: the set reaches the store like any list, with a successful prodle or OK in
        // Edit Names.
        hosts = m_parameters.defaultHosts;
        if (notice)
            m_display.ShowNotice(kRestoringDefaults);
    }
    s.hosts.Replace(std::move(hosts), selected);
    s.laterHost = s.hosts.Text();
    m_display.ShowHosts(s.hosts.Entries(), s.hosts.Selected());
}

void KeepAliveCycle::SelectHost(int index)
{
    state.hosts.Select(index);
    m_display.SelectHost(state.hosts.Selected());
}

void KeepAliveCycle::ReportFailure(const std::string& text, AfterBox after)
{
    m_display.ShowBox(text);
    state.afterBox = after;
    state.phase = Phase::ReportingFailure;
}

void KeepAliveCycle::ReportStop(const std::string& text, AfterBox after)
{
    m_display.ShowBox(text);
    state.afterBox = after;
    state.phase = Phase::ReportingStop;
}

void KeepAliveCycle::OnBoxClosedNow()
{
    State& s = state;
    switch (s.afterBox) {
    case AfterBox::StopWithNotice:
        StopCycle(true);
        break;
    case AfterBox::CountOn:
        s.phase = Phase::CountingDown;
        break;
    case AfterBox::TrayNotice:
        m_journal.Note("Stopped");
        ShowTip("Prodle has stopped");
        m_display.ShowTrayPicture(TrayPicture::Stopped);
        s.phase = Phase::Stopped;
        break;
    case AfterBox::AutoStart:
        s.deadlines.Set(Alarm::AutoStart, m_clock.NowMs() + 1000);
        s.phase = Phase::Stopped;
        break;
    case AfterBox::Nothing:
        s.phase = Phase::Stopped;
        break;
    }
    s.afterBox = AfterBox::Nothing;
}

void KeepAliveCycle::ShowTip(const std::string& tip)
{
    if (tip == state.shownTip)
        return;
    state.shownTip = tip;
    m_display.ShowTrayTip(tip);
}

std::string KeepAliveCycle::TimeStampSuffix()
{
    return "\n\nProdle launched at time " + state.launchTime + "\nThis message created at time " +
           m_clock.TimeOfDay();
}

int KeepAliveCycle::Draw()
{
    return static_cast<int>(m_random() & 0x7fffffff);
}

#include "engine/keep_alive_engine.h"

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
// The event of each alarm's deadline.
Trigger TriggerOf(Alarm alarm)
{
    switch (alarm) {
    case Alarm::AutoStart:
        return Trigger::AutoStartDue;
    case Alarm::ConnectBound:
        return Trigger::ConnectBound;
    case Alarm::NetworkRetry:
        return Trigger::RetryDue;
    case Alarm::Prodle:
        return Trigger::ProdleDue;
    case Alarm::Countdown:
        break;
    }
    return Trigger::CountdownDue;
}

std::optional<Alarm> AlarmOf(Trigger trigger)
{
    for (int i = 0; i < kAlarmCount; ++i) {
        if (TriggerOf(static_cast<Alarm>(i)) == trigger)
            return static_cast<Alarm>(i);
    }
    return std::nullopt;
}

bool IsNetworkAnswer(Trigger trigger)
{
    switch (trigger) {
    case Trigger::LocalAddressFound:
    case Trigger::LocalAddressFailed:
    case Trigger::HostFound:
    case Trigger::HostNotFound:
    case Trigger::Connected:
    case Trigger::ConnectFailed:
    case Trigger::NoSocket:
    case Trigger::ReplyData:
    case Trigger::ConnectionClosed:
        return true;
    default:
        return false;
    }
}

}  // namespace

KeepAliveEngine::KeepAliveEngine(Ports ports, const Settings& settings, Parameters parameters)
    : m_ports(ports), m_clock(m_ports), m_network(m_ports), m_display(m_ports), m_store(m_ports),
      m_parameters(std::move(parameters)), m_random(m_parameters.seed)
{
    m_state.launchTime = m_clock.TimeOfDay();
    m_state.options = settings.options;
    m_state.minutes = m_state.acceptedMinutes = settings.often;
    m_display.ShowMinutes(settings.often);
    ApplyHostList(settings.hosts, settings.selected, false);
    m_display.ShowStatus("PLEASE START ME");
    m_display.EnableStart(true);
    if (!m_state.options.autoStart)
        m_display.ShowTrayPicture(TrayPicture::Stopped);
    // An empty list was replaced by the default set, which the user is told of before anything starts.
    const AfterBox afterStart = m_state.options.autoStart ? AfterBox::AutoStart : AfterBox::Nothing;
    if (settings.hosts.empty())
        ReportStop(kRestoringDefaults, afterStart);
    else if (afterStart == AfterBox::AutoStart)
        m_state.deadlines.Set(Alarm::AutoStart, m_clock.NowMs() + 1000);
    m_handling = true;
    Settle();
    m_ports.Flush();
    m_handling = false;
}

// ---- Events ---------------------------------------------------------------------------------------

void KeepAliveEngine::ConfirmOptions(const KeepAliveOptions& options)
{
    Event event(Trigger::OptionsConfirmed);
    event.options = options;
    Post(std::move(event));
}

void KeepAliveEngine::ConfirmHostList(const std::vector<std::string>& hosts, int selected)
{
    Event event(Trigger::HostListConfirmed);
    event.hosts = hosts;
    event.index = selected;
    Post(std::move(event));
}

void KeepAliveEngine::PickHost(int index)
{
    Event event(Trigger::HostPicked);
    event.index = index;
    Post(std::move(event));
}

void KeepAliveEngine::OnAlarm(Alarm alarm)
{
    m_state.deadlines.Rang(alarm);
    const uint64_t now = m_clock.NowMs();
    // Acting on one deadline may move or clear the others: they are looked at again after each.
    for (int round = 0; round < 2 * kAlarmCount; ++round) {
        int due = 0;
        while (due < kAlarmCount && !m_state.deadlines.IsDue(static_cast<Alarm>(due), now))
            ++due;
        if (due == kAlarmCount)
            break;
        Post(Event(TriggerOf(static_cast<Alarm>(due))));
    }
    // A deadline that stays passed would wake the program again at once, for ever.
    for (int i = 0; i < kAlarmCount; ++i) {
        if (m_state.deadlines.IsDue(static_cast<Alarm>(i), now)) {
            m_ports.RealDisplay().ReportFault(std::string("Prodle's engine: ") +
                                              TriggerName(TriggerOf(static_cast<Alarm>(i))) + " passed in " +
                                              PhaseName(m_state.phase) + " and was dropped.");
            m_state.deadlines.Clear(static_cast<Alarm>(i));
        }
    }
    if (m_handling)
        return;
    m_handling = true;
    m_state.deadlines.Sync(m_clock);
    m_ports.Flush();
    m_handling = false;
}

// ---- Handling one event ---------------------------------------------------------------------------

void KeepAliveEngine::Post(Event event)
{
    m_events.push_back(std::move(event));
    // An event that comes while another is handled (a port's answer given at once) waits its turn.
    if (m_handling)
        return;
    m_handling = true;
    while (!m_events.empty()) {
        const Event next = std::move(m_events.front());
        m_events.pop_front();
        Handle(next);
    }
    m_handling = false;
}

bool KeepAliveEngine::IsCurrent(const Event& event)
{
    if (IsNetworkAnswer(event.trigger))
        return m_state.ticketOpen && event.ticket == m_state.ticket;
    if (const std::optional<Alarm> alarm = AlarmOf(event.trigger))
        return m_state.deadlines.IsDue(*alarm, m_clock.NowMs());
    return true;
}

void KeepAliveEngine::Handle(const Event& event)
{
    // An answer to a request given up, or a deadline that has moved on, is no event any more.
    if (!IsCurrent(event))
        return;
    const Phase from = m_state.phase;
    const Answer answer = AnswerTo(from, event.trigger);
    if (!answer.handled)
        return;
    const State before = m_state;
    Act(event);
    Settle();
    if (!(answer.to & Phases(m_state.phase))) {
        const std::string fault = std::string("Prodle's engine: ") + TriggerName(event.trigger) + " in " +
                                  PhaseName(from) + " led to " + PhaseName(m_state.phase) +
                                  ", which its table does not allow; the event was ignored.";
        m_state = before;
        m_ports.Drop();
        m_ports.RealDisplay().ReportFault(fault);
        return;
    }
    m_ports.Flush();
}

void KeepAliveEngine::Act(const Event& event)
{
    State& s = m_state;
    switch (event.trigger) {
    case Trigger::Start:
    case Trigger::AutoStartDue:
        StartCycle();
        return;
    case Trigger::Shutdown:
        StopCycle(false);
        s.phase = Phase::Closed;
        return;
    case Trigger::ProdleDue:
        OnProdleDue();
        return;
    case Trigger::ConnectBound:
    case Trigger::ConnectFailed:
        OnConnectionFailed();
        return;
    case Trigger::ConnectionClosed:
        // Before the connection was made, a close is its failure; after, it ends the connection only.
        if (s.phase == Phase::Connecting)
            OnConnectionFailed();
        else
            s.ticketOpen = false;
        return;
    case Trigger::NoSocket:
        OnSocketRefused();
        return;
    case Trigger::Connected:
        OnConnectedNow();
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
        OnStartLookupFailed("Unable to get local IP address.\nHave you dialed your ISP?");
        return;
    case Trigger::HostFound:
        s.ticketOpen = false;
        StartCountdown();
        return;
    case Trigger::HostNotFound:
        OnStartLookupFailed("Prodle: Name " + s.cycleHost + " Not Found");
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
        if (s.phase != Phase::Stopped && s.phase != Phase::ReportingFailure &&
            s.phase != Phase::ReportingStop) {
            s.graceSince = m_clock.NowMs();
            StartCycle();
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
    case Trigger::HostListConfirmed:
        m_store.StoreHostList(event.hosts, event.index);
        ApplyHostList(event.hosts, event.index, true);
        ++s.listGeneration;
        return;
    case Trigger::HostTyped:
        s.hosts.Type(event.text);
        return;
    case Trigger::HostPicked:
        s.hosts.Select(event.index);
        return;
    case Trigger::MinutesTyped:
        s.minutes = event.text;
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
    case Trigger::TrayHovered:
        s.hoveredUntil = m_clock.NowMs() + m_parameters.hoverMs;
        return;
    }
}

void KeepAliveEngine::Settle()
{
    State& s = m_state;
    const bool waiting = s.phase == Phase::LookingUpLocalAddress || s.phase == Phase::CheckingHost ||
                         s.phase == Phase::Connecting;
    if (waiting != s.shownWaiting) {
        s.shownWaiting = waiting;
        m_display.ShowWaiting(waiting);
    }
    ShowCountdown();
    s.deadlines.Sync(m_clock);
}

// ---- Start and stop -------------------------------------------------------------------------------

void KeepAliveEngine::StartCycle()
{
    StopCycle(false);
    m_display.ShowTrayPicture(TrayPicture::Running);
    m_display.EnableStart(false);
    m_state.startHeldBack = true;
    m_display.ShowStatus("Starting Connection");
    if (m_state.localAddressKnown) {
        CheckHost();
        return;
    }
    m_display.ShowStatus("Getting Local IP Address");
    LookUpLocalAddress();
}

void KeepAliveEngine::StopCycle(bool trayNotice)
{
    State& s = m_state;
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
        ShowTip("Prodle has stopped");
        m_display.ShowTrayPicture(TrayPicture::Stopped);
    }
}

void KeepAliveEngine::LookUpLocalAddress()
{
    State& s = m_state;
    s.localAddress = "no address yet";
    s.ticket++;
    s.ticketOpen = true;
    m_network.LookUpLocalAddress(s.ticket);
    m_display.ShowStatus("Determining Local IP Address");
    s.phase = Phase::LookingUpLocalAddress;
}

void KeepAliveEngine::OnLocalAddress(const std::string& address)
{
    m_state.ticketOpen = false;
    if (!StartsWithDigit(address)) {
        OnStartLookupFailed("Unable to get local IP address.\nHave you dialed your ISP?");
        return;
    }
    m_state.localAddress = address;
    m_state.localAddressKnown = true;
    CheckHost();
}

void KeepAliveEngine::CheckHost()
{
    State& s = m_state;
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

void KeepAliveEngine::OnStartLookupFailed(const std::string& box)
{
    m_state.ticketOpen = false;
    if (WaitsForNetwork()) {
        WaitForNetwork(Phase::WaitingForNetworkToStart);
        return;
    }
    StopCycle(true);
    ReportStop(box + TimeStampSuffix(), AfterBox::Nothing);
}

void KeepAliveEngine::StartCountdown()
{
    State& s = m_state;
    const PeriodCheck period = CheckMinutesText(s.minutes.c_str(), s.options.debug);
    if (!period.accepted) {
        StopCycle(true);
        s.minutes = s.acceptedMinutes;
        m_display.ShowMinutes(s.acceptedMinutes);
        ReportStop("Prodle: Time period must be between 1 and 60", AfterBox::Nothing);
        return;
    }
    s.acceptedMinutes = s.minutes;
    s.periodSecs = period.periodSecs;
    // The first prodle a second from now, to the host the box shows now (the user may have typed while
    // its check ran); the later ones a period apart.
    s.deadlines.Set(Alarm::Prodle, m_clock.NowMs() + 1000);
    s.cycleHost = s.hosts.Text();
    s.firstHost = s.cycleHost;
    s.firstHostGeneration = s.listGeneration;
    s.firstExpiry = true;
    m_display.ShowCounting(true);
    // The status line keeps the text of the step before until the first prodle writes its own.
    s.phase = Phase::CountingDown;
}

// ---- The countdown --------------------------------------------------------------------------------

void KeepAliveEngine::OnProdleDue()
{
    State& s = m_state;
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
        StartCycle();
        return;
    }
    SetNextTarget();
    Prodle();
}

void KeepAliveEngine::SetNextTarget()
{
    State& s = m_state;
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

void KeepAliveEngine::ShowCountdown()
{
    State& s = m_state;
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
    ShowTip("Prodle in " + text);
    // Each second only while someone can see it: the form, or the tray's tip.
    if (s.formShown || (s.hoveredUntil && now < *s.hoveredUntil))
        s.deadlines.Set(Alarm::Countdown, *prodleAt - (seconds - 1) * 1000);
}

// ---- One prodle -----------------------------------------------------------------------------------

void KeepAliveEngine::Prodle()
{
    State& s = m_state;
    m_display.EnableStart(false);
    s.startHeldBack = true;
    // A connection whose server neither replied nor closed is replaced.
    GiveUpRequest();
    BeginConnection(NextProdleHost(), s.firstHost ? s.firstHostGeneration : s.listGeneration);
}

void KeepAliveEngine::BeginConnection(const std::string& host, uint32_t listGeneration)
{
    State& s = m_state;
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
    s.deadlines.Set(Alarm::ConnectBound, m_clock.NowMs() + m_parameters.connectBoundMs);
    s.phase = Phase::Connecting;
}

void KeepAliveEngine::OnConnectedNow()
{
    State& s = m_state;
    s.deadlines.Clear(Alarm::ConnectBound);
    s.firstHost.reset();
    RememberConnection();
    s.phase = Phase::WaitingForReply;
    m_display.ShowTrayPicture(TrayPicture::InFlight);
    m_network.Send(s.ticket, BuildProdleRequest(s.localAddress));
    m_display.ShowStatus("Prodle was sent");
}

void KeepAliveEngine::RememberConnection()
{
    State& s = m_state;
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

void KeepAliveEngine::OnReply()
{
    m_state.phase = Phase::CountingDown;
    m_state.startHeldBack = false;
    m_display.ShowTrayPicture(TrayPicture::Running);
    m_display.ShowStatus("Prodle completed at " + m_clock.TimeOfDay());
    m_display.StopFlashing();
}

void KeepAliveEngine::OnConnectionFailed()
{
    State& s = m_state;
    s.deadlines.Clear(Alarm::ConnectBound);
    GiveUpRequest();
    if (WaitsForNetwork()) {
        WaitForNetwork(Phase::WaitingForNetworkToProdle);
        return;
    }
    s.firstHost.reset();
    const std::string host = WithoutLeadingSpaces(s.connectHost);
    const FailureDecision decision = DecideAfterFailure(FailureKind::CannotConnect, s.connectIgnoresFailures,
                                                        s.hosts.Find(host), s.hosts.Count());
    switch (decision.action) {
    case FailureAction::StopWithBox:
        ReportFailure("Prodle: Cannot connect to " + host + " on port " + std::to_string(kHttpPort) +
                          TimeStampSuffix(),
                      AfterBox::StopWithNotice);
        return;
    case FailureAction::NextHost:
        m_display.ShowStatus("Last connection failed");
        SelectHost(decision.hostIndex);
        StartCycle();
        return;
    case FailureAction::ResetIgnoreAndStop:
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

void KeepAliveEngine::OnNoHostToConnectTo()
{
    State& s = m_state;
    s.firstHost.reset();
    const FailureDecision decision =
        DecideAfterFailure(FailureKind::NoAttempt, s.connectIgnoresFailures, -1, 0);
    if (decision.action == FailureAction::CountOn)
        s.phase = Phase::CountingDown;
    else
        StopCycle(true);
}

void KeepAliveEngine::OnSocketRefused()
{
    State& s = m_state;
    s.deadlines.Clear(Alarm::ConnectBound);
    GiveUpRequest();
    s.firstHost.reset();
    // Reported whatever the option says; after the box the option decides as for no host at all.
    const FailureDecision decision =
        DecideAfterFailure(FailureKind::NoAttempt, s.connectIgnoresFailures, -1, 0);
    ReportFailure("Prodle: Error opening stream socket" + TimeStampSuffix(),
                  decision.action == FailureAction::CountOn ? AfterBox::CountOn : AfterBox::StopWithNotice);
}

void KeepAliveEngine::GiveUpRequest()
{
    State& s = m_state;
    if (s.ticketOpen)
        m_network.Close(s.ticket);
    s.ticketOpen = false;
}

void KeepAliveEngine::GiveUpConnectionQuietly()
{
    m_state.deadlines.Clear(Alarm::ConnectBound);
    GiveUpRequest();
    m_state.phase = Phase::CountingDown;
    m_display.ShowTrayPicture(TrayPicture::Running);
}

// ---- Sleep, wake and the network ------------------------------------------------------------------

bool KeepAliveEngine::WaitsForNetwork()
{
    State& s = m_state;
    if (!s.graceSince)
        return false;
    if (m_clock.NowMs() - *s.graceSince < m_parameters.networkGraceMs)
        return true;
    s.graceSince.reset();  // the network had its time: failures take their usual course again
    return false;
}

void KeepAliveEngine::WaitForNetwork(Phase waiting)
{
    State& s = m_state;
    s.phase = waiting;
    s.deadlines.Clear(Alarm::Prodle);
    s.deadlines.Set(Alarm::NetworkRetry, m_clock.NowMs() + m_parameters.retryMs);
    m_display.ShowStatus(kWaitingForNetwork);
    ShowTip("Prodle is waiting for the network");
}

void KeepAliveEngine::OnRetryDue()
{
    State& s = m_state;
    s.deadlines.Clear(Alarm::NetworkRetry);
    if (s.phase == Phase::WaitingForNetworkToStart) {
        StartCycle();
        return;
    }
    // The prodle goes out now, and the period counts from it.
    SetNextTarget();
    Prodle();
}

void KeepAliveEngine::OnSuspendNow()
{
    State& s = m_state;
    s.suspendedSinceWake = true;
    if (s.phase == Phase::Connecting || s.phase == Phase::WaitingForReply)
        GiveUpConnectionQuietly();
    // A wait for the network keeps its deadline: nothing runs while the machine sleeps, and after it the
    // try comes at once, with or without the wake's announcement.
}

void KeepAliveEngine::OnResumeNow()
{
    State& s = m_state;
    const uint64_t now = m_clock.NowMs();
    // Windows announces one wake twice (at once, and again when the user is back); a wake that follows
    // another without a sleep between, and within the network's grace, is that same wake.
    if (s.lastWake && !s.suspendedSinceWake && now - *s.lastWake < m_parameters.networkGraceMs)
        return;
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

void KeepAliveEngine::ApplyHostList(std::vector<std::string> hosts, int selected, bool notice)
{
    State& s = m_state;
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

void KeepAliveEngine::SelectHost(int index)
{
    m_state.hosts.Select(index);
    m_display.SelectHost(m_state.hosts.Selected());
}

void KeepAliveEngine::ReportFailure(const std::string& text, AfterBox after)
{
    m_display.ShowBox(text);
    m_state.afterBox = after;
    m_state.phase = Phase::ReportingFailure;
}

void KeepAliveEngine::ReportStop(const std::string& text, AfterBox after)
{
    m_display.ShowBox(text);
    m_state.afterBox = after;
    m_state.phase = Phase::ReportingStop;
}

void KeepAliveEngine::OnBoxClosedNow()
{
    State& s = m_state;
    switch (s.afterBox) {
    case AfterBox::StopWithNotice:
        StopCycle(true);
        break;
    case AfterBox::CountOn:
        s.phase = Phase::CountingDown;
        break;
    case AfterBox::TrayNotice:
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

void KeepAliveEngine::ShowTip(const std::string& tip)
{
    if (tip == m_state.shownTip)
        return;
    m_state.shownTip = tip;
    m_display.ShowTrayTip(tip);
}

std::string KeepAliveEngine::TimeStampSuffix()
{
    return "\n\nProdle launched at time " + m_state.launchTime + "\nThis message created at time " +
           m_clock.TimeOfDay();
}

int KeepAliveEngine::Draw()
{
    return static_cast<int>(m_random() & 0x7fffffff);
}

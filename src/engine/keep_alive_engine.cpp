#include "engine/keep_alive_engine.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "app/resource.h"
#include "engine/rules/countdown_text.h"
#include "engine/rules/host_entry.h"
#include "engine/rules/host_text.h"
#include "engine/rules/http_request.h"
#include "engine/rules/minutes_text.h"
#include "engine/rules/random_offset.h"

namespace {

// The current local time as HH:MM:SS.
CString CurrentTimeText()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return FormatString("%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
}

}  // namespace

KeepAliveEngine::KeepAliveEngine(KeepAliveFrontEnd& frontEnd) : m_frontEnd(frontEnd)
{
    // Seeded once: the random picks and shifts of the whole run draw from it.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

void KeepAliveEngine::Attach(HWND window)
{
    m_window = window;
    m_connection.Attach(window);
}

void KeepAliveEngine::NoteLaunch()
{
    m_launchTime = CurrentTimeText();
    m_launchTick = ::GetTickCount();
}

void KeepAliveEngine::Enter(Phase to, Trigger why)
{
    assert(IsListedMove(m_phase, why, to) && "a move that engine/rules/phases.cpp does not list");
    const Phase from = m_phase;
    m_phase = to;
    m_frontEnd.PhaseChanged(from, why, to);
}

// ---- Start and stop --------------------------------------------------------------------------------

void KeepAliveEngine::Start()
{
    if (!m_closed)
        StartCycle();
}

void KeepAliveEngine::ArmAutoStart()
{
    ::SetTimer(m_window, TIMER_AUTO_START, 1000, nullptr);
    m_autoStartArmed = true;
}

void KeepAliveEngine::Shutdown()
{
    StopCycle(false);
    m_closed = true;
}

void KeepAliveEngine::StartCycle()
{
    StopCycle(false);
    m_frontEnd.ShowTrayPicture(TrayPicture::Running);
    m_frontEnd.EnableStart(false);
    m_busy = true;
    m_frontEnd.ShowStatus("Starting Connection");
    if (m_localAddressKnown) {
        CheckHost(Trigger::Start);
        return;
    }
    m_frontEnd.ShowStatus("Getting Local IP Address");
    LookUpLocalAddress();
}

void KeepAliveEngine::StopCycle(bool notifyTray, Trigger why)
{
    Enter(Phase::Stopped, why);
    m_frontEnd.EnableStart(true);
    m_busy = false;
    if (m_window) {
        ::KillTimer(m_window, TIMER_COUNTDOWN);
        ::KillTimer(m_window, TIMER_NETWORK_RETRY);
        if (m_autoStartArmed)
            ::KillTimer(m_window, TIMER_AUTO_START);
        m_autoStartArmed = false;
    }
    m_frontEnd.ShowStatus("NOT RUNNING");
    m_frontEnd.ShowCountdown("");
    m_frontEnd.ShowCounting(false);
    // A connection being made or waiting for its reply is given up, and so is a lookup: nothing of
    // either is acted on any more.
    m_connection.GiveUp();
    EndConnectWait();
    EndLookupWait();
    if (notifyTray) {
        m_frontEnd.ShowTrayTip("Prodle has stopped");
        m_frontEnd.ShowTrayPicture(TrayPicture::Stopped);
    }
}

void KeepAliveEngine::HostListChanged()
{
    m_lastHost = m_frontEnd.HostText();
}

// ---- Messages --------------------------------------------------------------------------------------

bool KeepAliveEngine::OnTimer(UINT_PTR id)
{
    switch (id) {
    case TIMER_COUNTDOWN:
        OnTick();
        return true;
    case TIMER_AUTO_START:
        ::KillTimer(m_window, TIMER_AUTO_START);
        m_autoStartArmed = false;
        Start();
        return true;
    case TIMER_CONNECT_BOUND:
        OnConnectionOutcome(m_connection.OnBound());
        return true;
    case TIMER_NETWORK_RETRY:
        OnNetworkRetry();
        return true;
    default:
        return false;
    }
}

void KeepAliveEngine::OnLookupAnswer(UINT message, WPARAM task, LPARAM result)
{
    if (m_closed)
        return;
    if (message == WM_PRODLE_CONNECT_LOOKUP) {
        OnConnectionOutcome(m_connection.OnLookupAnswer(task, result));
        return;
    }
    HostEntryCopy entry;
    if (!m_lookups.TakeAnswer(task, &entry))
        return;  // an answer nobody waits for any more
    if (message == WM_PRODLE_LOCAL_LOOKUP)
        OnLocalAddressAnswer(result, entry);
    else if (message == WM_PRODLE_HOST_LOOKUP)
        OnHostAnswer(result, entry);
}

void KeepAliveEngine::OnSocketNews(WPARAM socket, LPARAM news)
{
    if (!m_closed)
        OnConnectionOutcome(m_connection.OnSocketNews(socket, news));
}

void KeepAliveEngine::OnConnectionOutcome(ProdleConnection::Outcome outcome)
{
    using Outcome = ProdleConnection::Outcome;
    if (outcome == Outcome::Connected && m_phase == Phase::Connecting)
        OnConnected();
    else if (outcome == Outcome::Failed && m_phase == Phase::Connecting)
        OnFailedConnection(FailureKind::CannotConnect);
    else if ((outcome == Outcome::Read || outcome == Outcome::ReadAndClosed) &&
             m_phase == Phase::WaitingForReply)
        OnReply();
}

// ---- Local address and host check ------------------------------------------------------------------

void KeepAliveEngine::StartLookup(UINT message, const CString& name)
{
    if (!m_lookups.Start(m_window, message, name.c_str())) {
        // No answer would ever come: give one that says it failed, so that the engine goes on as for any
        // failed lookup instead of waiting for ever with a disabled Start button.
        int error = ::WSAGetLastError();
        if (error == 0)
            error = WSANOTINITIALISED;
        ::PostMessageA(m_window, message, 0, WSAMAKEASYNCREPLY(0, error));
    }
}

void KeepAliveEngine::BeginLookupWait()
{
    m_frontEnd.BeginWait();  // until the answer
    m_lookupWait = true;
}

void KeepAliveEngine::EndLookupWait()
{
    if (!m_lookupWait)
        return;
    m_lookups.GiveUp();
    m_lookupWait = false;
    m_frontEnd.EndWait();
}

void KeepAliveEngine::LookUpLocalAddress()
{
    m_localAddress = "no address yet";
    char name[100] = {};
    // A failed call normally leaves the name empty, and the empty name is looked up; the last byte is
    // made a terminator whatever a failed call wrote.
    ::gethostname(name, sizeof name);
    name[sizeof name - 1] = '\0';
    BeginLookupWait();
    StartLookup(WM_PRODLE_LOCAL_LOOKUP, name);
    m_frontEnd.ShowStatus("Determining Local IP Address");
    Enter(Phase::LookingUpLocalAddress, Trigger::Start);
}

void KeepAliveEngine::OnLocalAddressAnswer(LPARAM result, const HostEntryCopy& entry)
{
    EndLookupWait();
    unsigned char address[4];
    if (WSAGETASYNCERROR(result) == 0 && PickLocalAddress(entry.View(), address)) {
        in_addr local;
        std::memcpy(&local, address, sizeof address);
        const char* text = ::inet_ntoa(local);
        if (text && StartsWithDigit(text)) {
            m_localAddress = text;
            m_localAddressKnown = true;
            CheckHost(Trigger::LocalAddressFound);
            return;
        }
    }
    if (WaitForNetwork(true))
        return;
    StopCycle(true, Trigger::LocalAddressFailed);
    ShowBox("Unable to get local IP address.\nHave you dialed your ISP?" + TimeStampSuffix());
}

void KeepAliveEngine::CheckHost(Trigger why)
{
    m_cycleHost = m_frontEnd.HostText();
    if (StartsWithDigit(m_cycleHost)) {
        StartCountdown(why);
        return;
    }
    BeginLookupWait();
    StartLookup(WM_PRODLE_HOST_LOOKUP, m_cycleHost);
    m_frontEnd.ShowStatus("Validating Domain Name");
    Enter(Phase::CheckingHost, why);
}

void KeepAliveEngine::OnHostAnswer(LPARAM result, const HostEntryCopy& entry)
{
    EndLookupWait();
    if (WSAGETASYNCERROR(result) == 0) {
        // Kept: the prodles to this host connect to its first address.
        m_connection.KeepEntry(m_cycleHost, entry);
        StartCountdown(Trigger::HostFound);
        return;
    }
    if (WaitForNetwork(true))
        return;
    StopCycle(true, Trigger::HostNotFound);
    ShowBox(FormatString("Prodle: Name %s Not Found", m_cycleHost.c_str()) + TimeStampSuffix());
}

void KeepAliveEngine::StartCountdown(Trigger why)
{
    const CString text = m_frontEnd.MinutesText();
    const PeriodCheck period = CheckMinutesText(text.c_str(), m_options.debug);
    if (!period.accepted) {
        StopCycle(true, Trigger::PeriodRefused);
        m_frontEnd.SetMinutesText(m_acceptedMinutes);
        ShowBox("Prodle: Time period must be between 1 and 60");
        return;
    }
    m_acceptedMinutes = text;
    m_countdown.Start(period.periodSecs);
    m_cycleHost = m_frontEnd.HostText();
    m_frontEnd.ShowCounting(true);
    m_firstExpiry = true;
    ::SetTimer(m_window, TIMER_COUNTDOWN, 1000, nullptr);
    m_prodleCycleHost = true;
    // The status line keeps the text of the step before until the first prodle writes its own.
    Enter(Phase::CountingDown, why);
}

// ---- Countdown -------------------------------------------------------------------------------------

void KeepAliveEngine::OnTick()
{
    if (m_closed || !IsCounting(m_phase))
        return;
    if (!m_busy)
        m_frontEnd.EnableStart(true);
    if (m_countdown.Tick())
        OnCountdownExpired();
    // After the expiry, so that the display already shows the new target.
    ShowCountdown();
}

void KeepAliveEngine::ShowCountdown()
{
    if (m_closed || !IsCounting(m_phase))
        return;
    const CString text = FormatCountdown(m_countdown.SecondsLeft());
    m_frontEnd.ShowCountdown(text);
    m_frontEnd.ShowTrayTip("Prodle in " + text);
}

void KeepAliveEngine::OnCountdownExpired()
{
    if (IsConnecting()) {
        // One connection at a time: a prodle (or random pick) that falls due while the last one's
        // connection is still being made, or its failure reported, is skipped; the count starts over.
        SetNextTarget();
        return;
    }
    const bool pickAnotherHost = m_options.randomHost && !m_firstExpiry && !m_frontEnd.Hosts().empty();
    if (m_options.randomHost)
        m_firstExpiry = false;
    if (pickAnotherHost) {
        PickRandomHost();
        return;
    }
    SetNextTarget();
    Prodle();
}

void KeepAliveEngine::SetNextTarget()
{
    if (!m_options.randomTime) {
        m_countdown.SetTarget(m_countdown.PeriodSecs());
        return;
    }
    const int limit = m_options.debug ? 5 : 30;
    int offset = 0;
    while (offset == 0)
        offset = OffsetFromDraw(std::rand(), limit);
    m_countdown.SetTarget(TargetWithOffset(m_countdown.PeriodSecs(), offset));
}

void KeepAliveEngine::PickRandomHost()
{
    // Another entry than the current one, when there is another; then the cycle starts over from the
    // check of the picked host, whose prodle follows one second after its countdown starts.
    const int count = static_cast<int>(m_frontEnd.Hosts().size());
    const int current = m_frontEnd.SelectedHost();
    int pick = std::rand() % count;
    while (count > 1 && current != -1 && pick == current)
        pick = std::rand() % count;
    m_frontEnd.SelectHost(pick);
    StartCycle();
}

// ---- One prodle ------------------------------------------------------------------------------------

void KeepAliveEngine::Prodle()
{
    m_frontEnd.EnableStart(false);
    m_busy = true;
    // The first prodle of a cycle goes to the host just checked, the later ones to the host of the last
    // successful connection.
    const CString host = m_prodleCycleHost ? m_cycleHost : m_lastHost;
    m_prodleCycleHost = false;
    BeginConnection(host, Trigger::ProdleDue);
}

void KeepAliveEngine::BeginConnection(const CString& host, Trigger why)
{
    Enter(Phase::Connecting, why);
    m_connectHost = host;
    m_frontEnd.BeginWait();  // until the outcome
    m_connectWait = true;
    // A connection whose server never replied nor closed is replaced.
    switch (m_connection.Begin(host)) {
    case ProdleConnection::Start::UnderWay:
        return;
    case ProdleConnection::Start::NoHost:
        OnFailedConnection(FailureKind::NoAttempt);
        return;
    case ProdleConnection::Start::NoSocket:
        EndConnectWait();
        if (ShowBox("Prodle: Error opening stream socket" + TimeStampSuffix()))
            OnFailedConnection(FailureKind::NoAttempt);
        return;
    case ProdleConnection::Start::Failed:
        OnFailedConnection(FailureKind::CannotConnect);
        return;
    }
}

void KeepAliveEngine::EndConnectWait()
{
    if (!m_connectWait)
        return;
    m_connectWait = false;
    m_frontEnd.EndWait();
}

void KeepAliveEngine::OnConnected()
{
    EndConnectWait();
    RememberConnection(m_connectHost);
    Enter(Phase::WaitingForReply, Trigger::Connected);
    m_frontEnd.ShowTrayPicture(TrayPicture::InFlight);
    m_connection.Send(BuildProdleRequest(m_localAddress));
    m_frontEnd.ShowStatus("Prodle was sent");
}

void KeepAliveEngine::RememberConnection(const CString& host)
{
    m_frontEnd.ShowStatus("Connection made OK");
    // A host new to the list joins it at the end; the host keeps its text as given, spaces and all.
    m_lastHost = host;
    std::vector<CString> hosts = m_frontEnd.Hosts();
    int index = m_frontEnd.FindHost(host);
    if (index < 0) {
        m_frontEnd.AppendHost(host);
        hosts.push_back(host);
        index = static_cast<int>(hosts.size()) - 1;
    }
    m_frontEnd.SelectHost(index);
    m_frontEnd.StoreConnection(m_acceptedMinutes, hosts, index);
}

void KeepAliveEngine::OnReply()
{
    Enter(Phase::CountingDown, Trigger::ReplyArrived);
    m_busy = false;
    m_frontEnd.ShowTrayPicture(TrayPicture::Running);
    m_frontEnd.ShowStatus("Prodle completed at " + CurrentTimeText());
    m_frontEnd.StopFlashing();
}

// ---- A failed connection ---------------------------------------------------------------------------

void KeepAliveEngine::OnFailedConnection(FailureKind kind)
{
    EndConnectWait();
    m_connection.GiveUp();
    if (kind == FailureKind::CannotConnect && WaitForNetwork(false))
        return;
    const CString host = WithoutLeadingSpaces(m_connectHost);
    if (kind == FailureKind::CannotConnect)
        Enter(Phase::ReportingFailure, Trigger::ConnectFailed);
    ActOn(DecideAfterFailure(kind, m_options.ignoreFailures, m_frontEnd.FindHost(host),
                             static_cast<int>(m_frontEnd.Hosts().size())),
          host);
    // A failure that came as news or from the bound is outside the countdown's tick: what it started
    // shows at once.
    ShowCountdown();
}

void KeepAliveEngine::ActOn(const FailureDecision& decision, const CString& host)
{
    switch (decision.action) {
    case FailureAction::StopWithBox:
        if (ShowBox(FormatString("Prodle: Cannot connect to %s on port %u", host.c_str(), kHttpPort) +
                    TimeStampSuffix()))
            StopCycle(true);
        return;
    case FailureAction::Stop:
        StopCycle(true);
        return;
    case FailureAction::CountOn:
        Enter(Phase::CountingDown, Trigger::NoConnection);
        return;
    case FailureAction::NextHost:
        m_frontEnd.ShowStatus("Last connection failed");
        m_frontEnd.SelectHost(decision.hostIndex);
        StartCycle();
        return;
    case FailureAction::ResetIgnoreAndStop:
        m_frontEnd.ShowStatus("Last connection failed");
        StopCycle(false);
        m_options.ignoreFailures = false;
        m_frontEnd.StoreIgnoreFailuresOff();
        if (ShowBox("You had a connection failure on the only\ndomain in the list.\n\n"
                    "Prodle has reset your \"Ignore Connection Failures\"\noption. Please restart Prodle"))
            StopCycle(true);
        return;
    }
}

// ---- Sleep and wake --------------------------------------------------------------------------------

void KeepAliveEngine::OnPowerEvent(WPARAM event)
{
    if (m_closed)
        return;
    if (event == PBT_APMSUSPEND)
        OnSuspend();
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
        OnResume();
}

void KeepAliveEngine::OnSuspend()
{
    m_resumeHandled = false;
    if (m_phase == Phase::Connecting || m_phase == Phase::WaitingForReply)
        GiveUpConnectionQuietly();
    // No tries while asleep: the wake brings the next one.
    ::KillTimer(m_window, TIMER_NETWORK_RETRY);
}

void KeepAliveEngine::OnResume()
{
    // Windows announces one wake twice (automatic, then once the user is back): it is handled once.
    if (m_resumeHandled)
        return;
    m_resumeHandled = true;
    if (m_phase == Phase::Stopped)
        return;
    m_sinceWake = true;
    m_wakeTick = ::GetTickCount();
    // A connect that straddled the sleep (its suspend went unannounced) has lost its time in it.
    if (m_phase == Phase::Connecting || m_phase == Phase::WaitingForReply)
        GiveUpConnectionQuietly();
    if (m_phase == Phase::CountingDown) {
        // The link was idle all through the sleep: it needs a prodle now, not at the end of the period.
        // In random-host mode too it goes to the current host.
        m_countdown.ExpireAtNextTick();
        m_firstExpiry = true;
    } else if (m_phase == Phase::WaitingForNetwork) {
        ::SetTimer(m_window, TIMER_NETWORK_RETRY, 1000, nullptr);
    }
}

void KeepAliveEngine::GiveUpConnectionQuietly()
{
    EndConnectWait();
    m_connection.GiveUp();
    Enter(Phase::CountingDown, Trigger::Suspended);
    m_frontEnd.ShowTrayPicture(TrayPicture::Running);
}

bool KeepAliveEngine::WaitForNetwork(bool restartCycle)
{
    if (!m_sinceWake)
        return false;
    if (::GetTickCount() - m_wakeTick >= m_wakeGraceMs) {
        m_sinceWake = false;  // the network had its time: failures are reported as always
        return false;
    }
    Enter(Phase::WaitingForNetwork, Trigger::NetworkDown);
    m_retryStart = restartCycle;
    m_frontEnd.ShowStatus("Waiting for the network");
    m_frontEnd.ShowTrayTip("Prodle is waiting for the network");
    ::SetTimer(m_window, TIMER_NETWORK_RETRY, 3000, nullptr);
    return true;
}

void KeepAliveEngine::OnNetworkRetry()
{
    ::KillTimer(m_window, TIMER_NETWORK_RETRY);
    if (m_phase != Phase::WaitingForNetwork)
        return;
    if (m_retryStart) {
        StartCycle();
        return;
    }
    // The countdown starts over from the prodle that goes out now.
    SetNextTarget();
    m_countdown.Restart();
    BeginConnection(m_connectHost, Trigger::RetryDue);
    ShowCountdown();
}

// ---- Boxes -----------------------------------------------------------------------------------------

bool KeepAliveEngine::ShowBox(const CString& text)
{
    return m_frontEnd.ShowError(text) && !m_closed;
}

CString KeepAliveEngine::TimeStampSuffix() const
{
    return "\n\nProdle launched at time " + m_launchTime + "\nThis message created at time " +
           CurrentTimeText();
}

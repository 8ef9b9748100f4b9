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
constexpr const char* kNoLocalAddress = "Unable to get local IP address.\nHave you dialed your ISP?";
constexpr const char* kStoppedWaiting = "Stopped waiting for the network";

}  // namespace

KeepAliveCycle::KeepAliveCycle(Ports ports, const Settings& settings, Parameters parameters)
    : m_clock(ports.clock), m_network(ports.network), m_display(ports.display), m_store(ports.store),
      m_journal(ports.journal), m_history(ports.history), m_parameters(std::move(parameters)),
      m_random(m_parameters.seed)
{
    m_launchTime = m_parameters.launchTime.empty() ? m_clock.TimeOfDay() : m_parameters.launchTime;
    options = settings.options;
    if (settings.launchesStopped)
        m_display.ShowTrayPicture(TrayPicture::Stopped);
    m_minutes = m_acceptedMinutes = next.startMinutes = settings.often;
    m_display.ShowMinutes(settings.often);
    ApplyHostList(settings.hosts, settings.selected, false);
    m_display.EnableStart(true);
    // Last: the form is ready when it says so.
    m_display.ShowStatus("PLEASE START ME");
    // An empty list was replaced by the default set, which the user is told of before anything starts.
    if (settings.hosts.empty())
        ShowBox(kRestoringDefaults,
                options.autoStart ? Phase::ReportingStopThenAutoStart : Phase::ReportingStop);
    else if (options.autoStart)
        deadlines.Set(Alarm::AutoStart, m_clock.NowMs() + 1000);
}

void KeepAliveCycle::ReadBoxes()
{
    m_minutes = m_display.MinutesBoxText();
    hosts.Type(m_display.HostBoxText());
}

void KeepAliveCycle::Settle()
{
    m_display.ShowWaiting(phase == Phase::LookingUpLocalAddress || phase == Phase::CheckingHost ||
                          phase == Phase::Connecting);
    ShowCountdown();
    // A wait for the network ends with the first step that gets through, or with the cycle.
    if (phase == Phase::CountingDown || phase == Phase::WaitingForReply)
        EndNetworkWait("The network is back");
    else if (phase == Phase::Stopped || IsReporting(phase) || phase == Phase::Closed)
        EndNetworkWait(kStoppedWaiting);
    deadlines.Sync(m_clock);
}

// ---- The user's commands --------------------------------------------------------------------------

void KeepAliveCycle::OnStart(const Event&)
{
    m_journal.Note("Start, host " + hosts.Text() + ", every " + m_minutes + " minutes");
    StartCycle(Texts::FromBoxes);
}

void KeepAliveCycle::OnAutoStart(const Event&)
{
    m_journal.Note("Auto-start, host " + hosts.Text() + ", every " + m_minutes + " minutes");
    StartCycle(Texts::FromBoxes);
}

void KeepAliveCycle::OnShutdown(const Event&)
{
    if (request)
        request->prodle.reset();  // nothing of it is known: not in the history
    StopCycle(false);
    phase = Phase::Closed;
    EndNetworkWait(kStoppedWaiting);
    m_journal.Note("Exit");
}

void KeepAliveCycle::OnOptionsConfirmed(const Event& event)
{
    // Each takes effect at its next use; nothing restarts. "Debug" has no box in the dialog.
    const bool debug = options.debug;
    options = std::get<events::OptionsConfirmed>(event).options;
    options.debug = debug;
    m_store.StoreOptions(options);
}

void KeepAliveCycle::OnHostListConfirmed(const Event& event)
{
    const auto& confirmed = std::get<events::HostListConfirmed>(event);
    // A host the user deleted does not come back with a connection begun before; one that was in no list
    // since it was taken (typed) was not deleted, and joins the new list when it connects.
    const bool firstIsNew =
        next.firstList == hosts.Generation() && !(next.first && hosts.Find(*next.first) >= 0);
    const bool requestIsNew = request && request->list == hosts.Generation() && hosts.Find(request->host) < 0;
    const bool startHostListed = hosts.Find(next.startHost) >= 0;
    m_store.StoreHostList(confirmed.hosts, confirmed.selected);
    ApplyHostList(confirmed.hosts, confirmed.selected, true);
    if (firstIsNew)
        next.firstList = hosts.Generation();
    if (requestIsNew)
        request->list = hosts.Generation();
    // A start under way whose host was deleted goes on with the host the dialog left selected.
    if (startHostListed && hosts.Find(next.startHost) < 0)
        next.startHost = next.later;
}

void KeepAliveCycle::OnHostPicked(const Event& event)
{
    hosts.Select(std::get<events::HostPicked>(event).index);
}

void KeepAliveCycle::OnFormShown(const Event&)
{
    m_formShown = true;
}

void KeepAliveCycle::OnFormShownWhileCounting(const Event& event)
{
    OnFormShown(event);
    EnableStartWhenSeen();
}

void KeepAliveCycle::OnFormHidden(const Event&)
{
    m_formShown = false;
}

void KeepAliveCycle::OnTipShown(const Event&)
{
    m_tipShown = true;
}

void KeepAliveCycle::OnTipHidden(const Event&)
{
    m_tipShown = false;
}

// ---- Start and stop -------------------------------------------------------------------------------

void KeepAliveCycle::StartCycle(Texts texts)
{
    if (texts == Texts::FromBoxes) {
        next.startHost = hosts.Text();
        next.startMinutes = m_minutes;
    }
    next.startReadsBoxes = texts == Texts::FromBoxes;
    StopCycle(false);
    m_display.ShowTrayPicture(TrayPicture::Running);
    m_display.EnableStart(false);
    m_startHeldBack = true;
    m_display.ShowStatus("Starting Connection");
    if (localAddress) {
        CheckHost();
        return;
    }
    m_display.ShowStatus("Getting Local IP Address");
    LookUpLocalAddress();
}

void KeepAliveCycle::StopCycle(bool trayNotice)
{
    GiveUpRequest();
    phase = Phase::Stopped;
    m_startHeldBack = false;
    for (Alarm alarm : {Alarm::AutoStart, Alarm::ConnectBound, Alarm::NetworkRetry, Alarm::Prodle})
        deadlines.Clear(alarm);
    m_display.EnableStart(true);
    m_display.ShowStatus("NOT RUNNING");
    m_display.ShowCountdown("");
    m_display.ShowCounting(false);
    if (trayNotice)
        TrayNoticeOfStop();
}

void KeepAliveCycle::TrayNoticeOfStop()
{
    m_journal.Note("Stopped");
    m_display.ShowTrayTip("Prodle has stopped");
    m_display.ShowTrayPicture(TrayPicture::Stopped);
}

void KeepAliveCycle::LookUpLocalAddress()
{
    phase = Phase::LookingUpLocalAddress;
    m_network.LookUpLocalAddress(Open(""));
    m_display.ShowStatus("Determining Local IP Address");
}

void KeepAliveCycle::OnLocalAddressFound(const Event& event)
{
    const std::string& address = std::get<events::LocalAddressFound>(event).address;
    request.reset();
    if (!StartsWithDigit(address)) {
        OnStartLookupFailed(kNoLocalAddress, "no local IP address");
        return;
    }
    localAddress = address;
    CheckHost();
}

void KeepAliveCycle::OnLocalAddressFailed(const Event&)
{
    request.reset();
    OnStartLookupFailed(kNoLocalAddress, "no local IP address");
}

void KeepAliveCycle::CheckHost()
{
    if (next.startReadsBoxes)
        next.startHost = hosts.Text();
    // An address needs no lookup; anything else, an empty text or one with spaces before it included, is
    // looked up as a name.
    if (StartsWithDigit(next.startHost)) {
        StartCountdown();
        return;
    }
    phase = Phase::CheckingHost;
    m_network.LookUpHost(Open(next.startHost), next.startHost);
    m_display.ShowStatus("Validating Domain Name");
}

void KeepAliveCycle::OnHostFound(const Event&)
{
    request.reset();
    StartCountdown();
}

void KeepAliveCycle::OnHostNotFound(const Event&)
{
    request.reset();
    OnStartLookupFailed("Prodle: Name " + next.startHost + " Not Found",
                        "name " + next.startHost + " not found");
}

void KeepAliveCycle::OnStartLookupFailed(const std::string& box, const std::string& reason)
{
    const bool waits = WaitsForNetwork();
    RecordLookupFailure(next.startHost,
                        waits ? ProdleOutcome::WaitedForNetwork : ProdleOutcome::LookupFailed);
    if (waits) {
        WaitForNetwork(Phase::WaitingForNetworkToStart, reason);
        return;
    }
    EndNetworkWait(kStoppedWaiting);
    m_journal.Note("Failure: " + reason);
    StopCycle(true);
    ShowBox(box + TimeStampSuffix(), Phase::ReportingStop);
}

void KeepAliveCycle::StartCountdown()
{
    // A start the user asked for takes the boxes as they are now (the user may have typed while the
    // checks ran).
    if (next.startReadsBoxes) {
        next.startMinutes = m_minutes;
        next.startHost = hosts.Text();
    }
    const PeriodCheck period = CheckMinutesText(next.startMinutes.c_str(), options.debug);
    if (!period.accepted) {
        m_journal.Note("Failure: the period \"" + next.startMinutes + "\" is not between 1 and 60 minutes");
        StopCycle(true);
        m_minutes = next.startMinutes = m_acceptedMinutes;
        m_display.ShowMinutes(m_acceptedMinutes);
        ShowBox("Prodle: Time period must be between 1 and 60", Phase::ReportingStop);
        return;
    }
    m_acceptedMinutes = next.startMinutes;
    m_periodSecs = period.periodSecs;
    // The first prodle a second from now; the later ones a period apart.
    deadlines.Set(Alarm::Prodle, m_clock.NowMs() + 1000);
    next.first = next.startHost;
    next.firstList = hosts.Generation();
    next.firstExpiry = true;
    m_display.ShowCounting(true);
    // The status line keeps the text of the step before until the first prodle writes its own.
    phase = Phase::CountingDown;
}

// ---- The countdown --------------------------------------------------------------------------------

void KeepAliveCycle::OnProdleDue(const Event&)
{
    const bool pickAnotherHost = options.randomHost && !next.firstExpiry && hosts.Count() > 0;
    if (options.randomHost)
        next.firstExpiry = false;
    if (pickAnotherHost) {
        // The cycle starts over from the picked host's check; its prodle follows a second after.
        SelectHost(hosts.PickOther([this] { return Draw(); }));
        StartCycle(Texts::FromBoxes);
        return;
    }
    SetNextTarget();
    Prodle();
}

// One connection at a time: a prodle due while one is being made, or its failure reported, is skipped,
// and the count starts over.
void KeepAliveCycle::OnProdleSkipped(const Event&)
{
    SetNextTarget();
}

void KeepAliveCycle::OnCountdownDue(const Event&)
{
    // The Start button comes back at the first tick the user can see after a reply.
    EnableStartWhenSeen();
}

void KeepAliveCycle::EnableStartWhenSeen()
{
    if (!m_startHeldBack)
        m_display.EnableStart(true);
}

void KeepAliveCycle::SetNextTarget()
{
    int target = m_periodSecs;
    if (options.randomTime) {
        const int limit = options.debug ? 5 : 30;
        int offset = 0;
        while (offset == 0)
            offset = OffsetFromDraw(Draw(), limit);
        target = TargetWithOffset(m_periodSecs, offset);
    }
    deadlines.Set(Alarm::Prodle, m_clock.NowMs() + static_cast<uint64_t>(target > 1 ? target : 1) * 1000);
}

void KeepAliveCycle::ShowCountdown()
{
    deadlines.Clear(Alarm::Countdown);
    const std::optional<uint64_t> prodleAt = deadlines.At(Alarm::Prodle);
    if (!IsCounting(phase) || !prodleAt)
        return;
    const uint64_t now = m_clock.NowMs();
    const uint64_t left = *prodleAt > now ? *prodleAt - now : 0;
    // Whole seconds, rounded up; a prodle that is due is about to go, so the text never says 0:00.
    const uint64_t seconds = left <= 1000 ? 1 : (left + 999) / 1000;
    const std::string text = FormatCountdown(static_cast<int>(seconds));
    m_display.ShowCountdown(text);
    // With the last reply's time, as the history has it: well within the tip's 63 characters, and in
    // ASCII, which reads the same in every code page.
    m_display.ShowTrayTip(
        "Prodle in " + text +
        (lastReplyMs ? " - last reply " + std::to_string(*lastReplyMs) + " ms" : std::string()));
    // Each second only while someone can see it: the form, or the tray's tip.
    if (m_formShown || m_tipShown)
        deadlines.Set(Alarm::Countdown, *prodleAt - (seconds - 1) * 1000);
}

// ---- Boxes and their answers ----------------------------------------------------------------------

void KeepAliveCycle::ShowBox(const std::string& text, Phase reporting)
{
    phase = reporting;
    m_display.ShowBox(text);
}

void KeepAliveCycle::OnFailureBoxClosed(const Event&)
{
    StopCycle(true);
}

void KeepAliveCycle::OnBoxClosedCountingOn(const Event&)
{
    phase = Phase::CountingDown;
}

void KeepAliveCycle::OnStopBoxClosed(const Event&)
{
    phase = Phase::Stopped;
}

void KeepAliveCycle::OnStopBoxClosedTrayNotice(const Event&)
{
    TrayNoticeOfStop();
    phase = Phase::Stopped;
}

void KeepAliveCycle::OnStopBoxClosedAutoStart(const Event&)
{
    deadlines.Set(Alarm::AutoStart, m_clock.NowMs() + 1000);
    phase = Phase::Stopped;
}

// ---- The host list --------------------------------------------------------------------------------

void KeepAliveCycle::ApplyHostList(std::vector<std::string> list, int selected, bool notice)
{
    if (list.empty()) {
        // Shown, not stored: the set reaches the store like any list, with a successful prodle or OK in
        // Edit Names.
        list = m_parameters.defaultHosts;
        if (notice)
            m_display.ShowNotice(kRestoringDefaults);
    }
    hosts.Replace(std::move(list), selected);
    next.later = hosts.Text();
    m_display.ShowHosts(hosts.Entries(), hosts.Selected());
}

void KeepAliveCycle::SelectHost(int index)
{
    hosts.Select(index);
    m_display.SelectHost(hosts.Selected());
}

std::string KeepAliveCycle::TimeStampSuffix()
{
    return "\n\nProdle launched at time " + m_launchTime + "\nThis message created at time " +
           m_clock.TimeOfDay();
}

int KeepAliveCycle::Draw()
{
    return static_cast<int>(m_random() & 0x7fffffff);
}

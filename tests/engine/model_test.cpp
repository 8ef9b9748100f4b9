// Random event orders: sequences of every event, as the world could bring them (the user's input never
// while a box is up, nothing while the machine sleeps), against the fakes, with every rule checked after
// every step. MODEL_SECONDS sets the time it runs (1 s by default), MODEL_SEED the first sequence's seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/rules/host_text.h"
#include "engine_driver.h"

namespace {

using Kind = NetworkRequest::Kind;

const std::vector<std::string> kHostTexts = {"alpha", "Alpha", "127.0.0.1", "  beta",         "",
                                             "   ",   "gamma", "10.0.0.1",  "www.one.example"};
const std::vector<std::string> kMinutesTexts = {"25", "1", "1.5", "0", "abc", "60", " 7 minutes", "61"};
constexpr uint64_t kGraceMs = 60000, kRetryMs = 3000, kBoundMs = 21000;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

class Model {
public:
    explicit Model(uint32_t seed) : m_random(seed) { Launch(); }

    // One step; false once the program has ended.
    bool Step();
    const std::string& Failure() const { return m_failure; }
    const std::deque<std::string>& Log() const { return m_log; }
    int prodles = 0, boxes = 0;

private:
    int Roll(int below) { return static_cast<int>(m_random() % static_cast<uint32_t>(below)); }
    bool Chance(int percent) { return Roll(100) < percent; }
    template <class T>
    const T& AnyOf(const std::vector<T>& values)
    {
        return values[static_cast<size_t>(Roll(static_cast<int>(values.size())))];
    }

    void Launch();
    void Do(const std::string& what)
    {
        m_log.push_back(what);
        if (m_log.size() > 40)
            m_log.pop_front();
    }
    void Answer();
    void AnswerStale();
    void EditNames();
    void Options();
    void Wake();
    void Check(Phase before, const std::string& step, bool connected);
    void Require(bool holds, const std::string& rule);

    EngineDriver m_d;
    std::mt19937 m_random;
    std::set<Ticket> m_connected;
    std::set<std::string> m_deleted;  // hosts Edit Names deleted, letter case ignored
    std::set<std::string> m_mayTake;  // texts the boxes held when the program could take them
    bool m_boxStartUnderWay = false;
    std::optional<uint64_t> m_lastWake;
    bool m_suspendedSinceWake = false;
    std::optional<uint64_t> m_graceSince;
    std::optional<uint64_t> m_wakeProdleBy;
    std::vector<std::string> m_lastHosts;
    bool m_wakeHostBlank = false;
    size_t m_boxesSeen = 0;
    std::string m_failure;
    std::deque<std::string> m_log;
};

void Model::Launch()
{
    EngineDriver::Settings settings;
    const int count = Roll(4);
    for (int i = 0; i < count; ++i)
        settings.hosts.push_back(AnyOf(kHostTexts));
    settings.hosts.erase(std::remove(settings.hosts.begin(), settings.hosts.end(), ""), settings.hosts.end());
    settings.selected = Roll(6) - 2;
    settings.often = AnyOf(kMinutesTexts);
    settings.options = {Chance(50), Chance(30), Chance(30), Chance(50), Chance(20)};
    EngineDriver::Parameters parameters = EngineDriver::DefaultParameters();
    parameters.seed = static_cast<unsigned>(m_random());
    m_d.Launch(settings, parameters);
    m_lastHosts = m_d->Hosts().Entries();
    m_mayTake.insert(settings.often);
    Do("launch with " + std::to_string(settings.hosts.size()) + " hosts");
}

bool Model::Step()
{
    FakeWorld& w = m_d.world;
    const Phase before = m_d.phase();
    const bool boxUp = w.openBoxes > 0;
    const size_t connectsBefore = m_d.Connections().size();
    const std::string boxMinutes = w.minutes, boxHost = w.hostBox;
    const bool randomHost = m_d->Options().randomHost;
    const size_t journalBefore = w.journal.size();
    const int kind = Roll(100);
    std::string step;
    bool connected = false;
    if (kind < 25) {
        step = "advance to the next alarm";
        m_d.AdvanceToNextAlarm();
    } else if (kind < 32) {
        const int ms = Roll(5000);
        step = "advance " + std::to_string(ms) + " ms";
        m_d.Advance(static_cast<uint64_t>(ms));
    } else if (kind < 50) {
        const size_t connects = m_connected.size();
        Answer();
        step = m_log.back();
        connected = m_connected.size() > connects;
    } else if (kind < 53) {
        AnswerStale();
        step = m_log.back();
    } else if (kind < 60 && boxUp) {
        step = "close the box";
        m_d.CloseBox();
    } else if (kind < 64 && !boxUp) {
        step = "start";
        m_d->Start();
    } else if (kind < 66 && !boxUp) {
        EditNames();
        step = m_log.back();
    } else if (kind < 68 && !boxUp) {
        Options();
        step = m_log.back();
    } else if (kind < 72 && !boxUp) {
        const std::string text = AnyOf(kHostTexts);
        step = "type host '" + text + "'";
        m_deleted.erase(Lower(text));
        m_d.TypeHost(text);
    } else if (kind < 74 && !boxUp) {
        const int index = Roll(static_cast<int>(m_d->Hosts().Count()) + 1) - 1;
        step = "pick host " + std::to_string(index);
        m_d.PickHost(index);
    } else if (kind < 76 && !boxUp) {
        const std::string text = AnyOf(kMinutesTexts);
        step = "type minutes '" + text + "'";
        m_d.TypeMinutes(text);
    } else if (kind < 82) {
        Wake();
        step = m_log.back();
    } else if (kind < 85) {
        step = "the network changes";
        if (before != Phase::Stopped && !IsReporting(before))
            m_graceSince = w.now;
        m_d->OnNetworkChanged();
    } else if (kind < 89) {
        const bool shown = Chance(50);
        step = shown ? "show the form" : "hide the form";
        m_d->OnFormShown(shown);
    } else if (kind < 92) {
        const bool shown = Chance(50);
        step = shown ? "the tray's tip shows" : "the tray's tip hides";
        m_d->OnTrayTipShown(shown);
    } else if (kind == 99 && Chance(10)) {
        step = "exit";
        m_d->Shutdown();
    } else {
        step = "advance a minute";
        m_d.Advance(60000);
    }
    if (m_wakeProdleBy && step.rfind("advance", 0) != 0 && step.rfind("sleep", 0) != 0 &&
        step.rfind("wake", 0) != 0)
        m_wakeProdleBy.reset();  // something else came first: the wake's prodle may rightly differ
    if (m_wakeProdleBy && w.now >= *m_wakeProdleBy) {
        // Unless there is no host to prodle (a blank host box, or a stored selection of none).
        Require(m_d.Connections().size() > connectsBefore || m_wakeHostBlank,
                "a wake that found the cycle running gave no prodle within a second");
        m_wakeProdleBy.reset();
    }
    // The boxes' texts are taken by a start the user asks for (the auto-start too), and, as the program
    // always did, by a random pick or a rotation to the next host, until that start's countdown begins;
    // never by a restart the cycle makes itself (a change of network, a retry after waiting).
    const auto starting = [](Phase phase) {
        return phase == Phase::LookingUpLocalAddress || phase == Phase::CheckingHost;
    };
    const bool timePassed =
        step.rfind("advance", 0) == 0 || step.rfind("sleep", 0) == 0 || step.rfind("wake", 0) == 0;
    bool rotated = false;
    for (size_t i = journalBefore; i < w.journal.size(); ++i)
        rotated = rotated || w.journal[i].find("; the next host is ") != std::string::npos;
    const bool readsBoxes = step == "start" || (timePassed && before == Phase::Stopped) ||
                            (timePassed && (randomHost || m_d->Options().randomHost)) || rotated ||
                            (m_boxStartUnderWay && starting(before));
    if (readsBoxes) {
        m_mayTake.insert(boxMinutes);
        m_mayTake.insert(Lower(boxHost));
    }
    const bool ownRestart =
        step == "the network changes" || (timePassed && before == Phase::WaitingForNetworkToStart);
    m_boxStartUnderWay = readsBoxes && !ownRestart && starting(m_d.phase());
    Do(step + " -> " + PhaseName(m_d.phase()));
    prodles += static_cast<int>(m_d.Connections().size() - connectsBefore);
    boxes = static_cast<int>(w.boxes.size());
    Check(before, step, connected);
    return m_d.phase() != Phase::Closed && m_failure.empty();
}

void Model::Answer()
{
    FakeWorld& w = m_d.world;
    if (w.Open(Kind::LocalAddress)) {
        const bool found = Chance(80);
        Do(found ? "local address found" : "local address not found");
        found ? m_d.AnswerLocalAddress(Chance(95) ? "192.0.2.7" : "no digit") : m_d.FailLocalAddress();
    } else if (w.Open(Kind::Host)) {
        const bool found = Chance(70);
        Do(found ? "host found" : "host not found");
        m_d.AnswerHost(found);
    } else if (NetworkRequest* connection = w.Open(Kind::Connection)) {
        const Ticket ticket = connection->ticket;
        const int answer = Roll(100);
        if (!m_connected.count(ticket)) {
            if (answer < 55) {
                Do("connected to '" + connection->host + "'");
                m_connected.insert(ticket);
                m_d.Connect();
            } else if (answer < 85) {
                Do("connect refused");
                m_d.Refuse();
            } else if (answer < 92) {
                Do("no socket");
                connection->open = false;
                m_d->OnNoSocket(ticket);
            } else {
                Do("closed before connecting");
                m_d.ServerCloses();
            }
        } else if (answer < 60) {
            Do("reply data");
            m_d.Reply();
        } else {
            Do("the server closes");
            m_d.ServerCloses();
        }
    } else {
        Do("nothing to answer");
    }
}

void Model::AnswerStale()
{
    const std::vector<NetworkRequest>& requests = m_d.world.requests;
    std::vector<Ticket> closed;
    for (const NetworkRequest& request : requests) {
        if (!request.open)
            closed.push_back(request.ticket);
    }
    if (closed.empty()) {
        Do("no stale answer to give");
        return;
    }
    const Ticket ticket = AnyOf(closed);
    Do("a stale answer for ticket " + std::to_string(ticket));
    switch (Roll(6)) {
    case 0:
        return m_d->OnConnected(ticket, "192.0.2.98");
    case 1:
        return m_d->OnConnectFailed(ticket);
    case 2:
        return m_d->OnReplyData(ticket);
    case 3:
        return m_d->OnHostFound(ticket);
    case 4:
        return m_d->OnLocalAddressFound(ticket, "192.0.2.99");
    default:
        return m_d->OnConnectionClosed(ticket);
    }
}

void Model::EditNames()
{
    std::vector<std::string> hosts = m_d->Hosts().Entries();
    switch (Roll(4)) {
    case 0:
        if (!hosts.empty())
            hosts.erase(hosts.begin() + Roll(static_cast<int>(hosts.size())));
        break;
    case 1:
        std::shuffle(hosts.begin(), hosts.end(), m_random);
        break;
    case 2:
        hosts.clear();
        break;
    default:
        hosts = EngineDriver::DefaultParameters().defaultHosts;
        break;
    }
    // As the dialog does: the current host keeps its selection wherever it went, else the first.
    int selected = 0;
    for (size_t i = 0; i < hosts.size(); ++i) {
        if (Lower(hosts[i]) == Lower(m_d->CurrentHost())) {
            selected = static_cast<int>(i);
            break;
        }
    }
    const std::vector<std::string> kept =
        hosts.empty() ? EngineDriver::DefaultParameters().defaultHosts : hosts;
    for (const std::string& old : m_d->Hosts().Entries())
        m_deleted.insert(Lower(old));
    for (const std::string& host : kept)
        m_deleted.erase(Lower(host));
    Do("Edit Names OK with " + std::to_string(hosts.size()) + " hosts");
    const int writes = m_d.world.stored.writes;
    m_d->ConfirmHostList(hosts, selected);
    Require(m_d.world.stored.writes == writes + 1 && m_d.world.stored.hosts == hosts &&
                m_d.world.stored.selected == selected,
            "Edit Names stored what the user confirmed");
}

void Model::Options()
{
    KeepAliveOptions options = m_d->Options();
    options.ignoreFailures = Chance(50);
    options.randomHost = Chance(30);
    options.randomTime = Chance(30);
    options.autoStart = Chance(50);
    Do("Options OK");
    m_d->ConfirmOptions(options);
    const std::optional<KeepAliveOptions>& stored = m_d.world.stored.options;
    Require(stored && stored->ignoreFailures == options.ignoreFailures &&
                stored->randomHost == options.randomHost && stored->randomTime == options.randomTime &&
                stored->autoStart == options.autoStart,
            "Options stored what the user confirmed");
}

void Model::Wake()
{
    FakeWorld& w = m_d.world;
    const bool suspend = Chance(80);
    if (suspend) {
        const std::string next = m_d->NextProdleHost();
        // A box waits for the user whatever happens meanwhile: a sleep while it is up goes unheeded.
        if (!IsReporting(m_d.phase()))
            m_suspendedSinceWake = true;
        m_d->OnSuspend();
        Require(m_d->NextProdleHost() == next, "a sleep changed where the next prodle goes");
        m_d.Sleep(static_cast<uint64_t>(Roll(3 * 3600)) * 1000);
    }
    const Phase before = m_d.phase();
    const bool resume = !suspend || Chance(70);
    if (!resume) {
        Do("sleep, wake without a word");
        m_d.Advance(0);
        return;
    }
    const bool running = before != Phase::Stopped && !IsReporting(before) && before != Phase::Closed;
    const bool again = m_lastWake && !m_suspendedSinceWake && w.now - *m_lastWake < kGraceMs;
    if (running && !again) {
        m_lastWake = m_graceSince = w.now;
        m_suspendedSinceWake = false;
        if (before == Phase::CountingDown || before == Phase::Connecting ||
            before == Phase::WaitingForReply) {
            m_wakeProdleBy = w.now + 1000;
            m_wakeHostBlank = WithoutLeadingSpaces(m_d->NextProdleHost()).empty();
        }
    }
    Do(suspend ? "sleep, wake" : "wake without a sleep");
    m_d->OnResume();
    if (m_wakeProdleBy) {
        const std::optional<uint64_t> prodle = m_d.deadline(Alarm::Prodle);
        Require(prodle && *prodle <= *m_wakeProdleBy, "a wake put the cycle's prodle a second away");
    }
    m_d.Advance(0);  // the timers whose time passed in the sleep
}

void Model::Require(bool holds, const std::string& rule)
{
    if (!holds && m_failure.empty())
        m_failure = rule;
}

void Model::Check(Phase before, const std::string& step, bool connected)
{
    FakeWorld& w = m_d.world;
    const Phase phase = m_d.phase();
    Require(w.broken.empty(), w.broken.empty() ? "" : w.broken.front());
    Require(w.faults.empty(), w.faults.empty() ? "" : w.faults.front());
    Require(phase == Phase::Closed || w.openBoxes == (IsReporting(phase) ? 1 : 0),
            "a box is up exactly in the reporting phases");
    const auto armed = [&](Alarm alarm) { return m_d.deadline(alarm).has_value(); };
    std::optional<uint64_t> earliest;
    for (int i = 0; i < kAlarmCount; ++i) {
        const std::optional<uint64_t> at = m_d.deadline(static_cast<Alarm>(i));
        Require(!at || *at > w.now, "every deadline lies ahead");
        if (at && (!earliest || *at < *earliest))
            earliest = at;
    }
    Require(w.wake == earliest, "the one wake-up is asked for the earliest deadline");
    Require(armed(Alarm::Prodle) == IsCounting(phase),
            "the prodle's deadline is armed exactly while counting");
    Require(armed(Alarm::ConnectBound) == (phase == Phase::Connecting),
            "the bound is armed exactly while connecting");
    const bool waitingForNetwork =
        phase == Phase::WaitingForNetworkToStart || phase == Phase::WaitingForNetworkToProdle;
    Require(armed(Alarm::NetworkRetry) == waitingForNetwork,
            "a retry is armed exactly while waiting for the network");
    Require(!armed(Alarm::Countdown) || IsCounting(phase), "no countdown tick while nothing counts");
    Require(!armed(Alarm::AutoStart) || phase == Phase::Stopped, "the auto-start only while stopped");
    Require(w.waiting == (phase == Phase::LookingUpLocalAddress || phase == Phase::CheckingHost ||
                          phase == Phase::Connecting),
            "the wait cursor shows exactly while looking up or connecting");
    const bool stopped = phase == Phase::Stopped || phase == Phase::Closed ||
                         IsIn(phase, Phases(Phase::ReportingStop, Phase::ReportingStopThenTrayNotice,
                                            Phase::ReportingStopThenAutoStart));
    for (const NetworkRequest& request : w.requests)
        Require(!stopped || !request.open, "nothing is asked of the network while stopped");
    Require(phase != Phase::Connecting || w.Open(Kind::Connection),
            "connecting means a connection under way");
    Require(phase != Phase::LookingUpLocalAddress || w.Open(Kind::LocalAddress),
            "the local lookup is under way");
    Require(phase != Phase::CheckingHost || w.Open(Kind::Host), "the host's lookup is under way");
    if (waitingForNetwork && m_graceSince)
        Require(w.now - *m_graceSince <= kGraceMs + kRetryMs + kBoundMs,
                "a wait for the network ends within the grace and one connect");
    // Within the grace a lookup or connect that fails waits for the network instead of a box.
    if (w.boxes.size() > m_boxesSeen && m_graceSince && w.now - *m_graceSince < kGraceMs) {
        const std::string& box = w.boxes.back();
        for (const char* network : {"Prodle: Cannot connect", "Unable to get local IP", "Prodle: Name "})
            Require(box.rfind(network, 0) != 0, "a failure within a minute of a wake gave a box");
    }
    m_boxesSeen = w.boxes.size();

    // The list: only Edit Names takes a host out; only a successful connection adds one, at the end,
    // and never a host the user deleted since.
    const std::vector<std::string>& hosts = m_d->Hosts().Entries();
    bool appendedHost = false;
    if (step.rfind("Edit Names", 0) != 0) {
        const bool same = hosts == m_lastHosts;
        const bool appended = connected && hosts.size() == m_lastHosts.size() + 1 &&
                              std::equal(m_lastHosts.begin(), m_lastHosts.end(), hosts.begin());
        Require(same || appended, "the list changed outside Edit Names and a success");
        if (appended) {
            Require(!m_deleted.count(Lower(hosts.back())), "a host the user deleted came back");
            Require(std::none_of(m_lastHosts.begin(), m_lastHosts.end(),
                                 [&](const std::string& old) { return Lower(old) == Lower(hosts.back()); }),
                    "a host joined a list that had it already, letter case aside");
        }
        appendedHost = appended;
    }
    for (const std::string& host : hosts)
        m_mayTake.insert(Lower(host));
    if (appendedHost)
        Require(m_mayTake.count(Lower(hosts.back())) > 0, "a host the user never confirmed joined the list");
    Require(!w.stored.often || m_mayTake.count(*w.stored.often) > 0,
            "a period the user never confirmed was stored");
    m_lastHosts = hosts;
    if (connected && w.stored.hosts)
        Require(*w.stored.hosts == hosts && w.stored.selected == m_d->Hosts().Selected(),
                "a success stored the list and selection as they are");
    (void)before;
}

}  // namespace

TEST(Model, RandomEventOrdersKeepEveryRule)
{
    const char* seconds = std::getenv("MODEL_SECONDS");
    const char* firstSeed = std::getenv("MODEL_SEED");
    const double budget = seconds ? std::atof(seconds) : 1.0;
    uint32_t seed = firstSeed ? static_cast<uint32_t>(std::strtoul(firstSeed, nullptr, 10))
                              : static_cast<uint32_t>(std::random_device{}());
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    long sequences = 0, steps = 0, prodles = 0, boxes = 0;
    // A step that never returns (a deadline that keeps coming at once, say) is a hang: the watchdog names
    // its sequence and ends the run.
    std::atomic<uint32_t> current{seed};
    std::atomic<long> progress{0};
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        long seen = -1;
        for (int quiet = 0; !done; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
            quiet = progress == seen ? quiet + 1 : 0;
            seen = progress;
            if (quiet == 100) {
                std::fprintf(stderr, "a step hangs in the sequence with MODEL_SEED=%u\n", current.load());
                std::abort();
            }
        }
    });
    struct Join {
        std::atomic<bool>& done;
        std::thread& thread;
        ~Join()
        {
            done = true;
            thread.join();
        }
    } join{done, watchdog};
    while (elapsed() < budget) {
        current = seed;
        Model model(seed);
        const int length = 50 + static_cast<int>(seed % 400);
        for (int i = 0; i < length && model.Step(); ++i) {
            ++steps;
            ++progress;
            if (elapsed() > budget + 10)
                ADD_FAILURE() << "the sequence with MODEL_SEED=" << seed << " runs past the time budget";
        }
        if (!model.Failure().empty()) {
            std::string log;
            for (const std::string& line : model.Log())
                log += "  " + line + "\n";
            FAIL() << "sequence with MODEL_SEED=" << seed << ": " << model.Failure() << "\nlast steps:\n"
                   << log;
        }
        ++sequences;
        prodles += model.prodles;
        boxes += model.boxes;
        ++seed;
    }
    std::printf("[ model    ] %ld sequences, %ld steps, %ld prodles, %ld boxes in %.1f s\n", sequences, steps,
                prodles, boxes, budget);
}

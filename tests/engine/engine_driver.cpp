#include "engine_driver.h"

#include <algorithm>

namespace {

using Kind = NetworkRequest::Kind;

}  // namespace

void FakeWorld::Expect(bool holds, const std::string& what)
{
    if (!holds)
        broken.push_back(what + " (in " + (engine ? PhaseName(engine->CurrentPhase()) : "construction") +
                         ")");
}

const std::string& FakeWorld::Built(const std::string& text)
{
    Expect(std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }),
           "a byte above 0x7F in \"" + text + "\"");
    return text;
}

NetworkRequest* FakeWorld::Find(Ticket ticket)
{
    for (NetworkRequest& request : requests) {
        if (request.ticket == ticket)
            return &request;
    }
    return nullptr;
}

NetworkRequest* FakeWorld::Open(Kind kind)
{
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
        if (it->kind == kind && it->open)
            return &*it;
    }
    return nullptr;
}

int FakeWorld::OpenConnections() const
{
    return static_cast<int>(
        std::count_if(requests.begin(), requests.end(), [](const NetworkRequest& request) {
            return request.kind == Kind::Connection && request.open;
        }));
}

void FakeWorld::LookUpLocalAddress(Ticket ticket)
{
    Expect(engine && engine->CurrentPhase() == Phase::LookingUpLocalAddress,
           "a local lookup outside its phase");
    requests.push_back({Kind::LocalAddress, ticket, "", true, ""});
}

void FakeWorld::LookUpHost(Ticket ticket, const std::string& name)
{
    Expect(engine && engine->CurrentPhase() == Phase::CheckingHost, "a host lookup outside its phase");
    requests.push_back({Kind::Host, ticket, name, true, ""});
}

void FakeWorld::Connect(Ticket ticket, const std::string& host)
{
    Expect(engine && engine->CurrentPhase() == Phase::Connecting, "a connect outside Connecting");
    Expect(OpenConnections() == 0, "a second connection while one is open");
    requests.push_back({Kind::Connection, ticket, host, true, ""});
}

void FakeWorld::Send(Ticket ticket, const std::string& bytes)
{
    NetworkRequest* request = Find(ticket);
    Expect(request && request->open && request->kind == Kind::Connection, "a send without a connection");
    if (request)
        request->sent += bytes;
}

void FakeWorld::Close(Ticket ticket)
{
    NetworkRequest* request = Find(ticket);
    Expect(request != nullptr, "a close of a request never made");
    if (request)
        request->open = false;
}

void FakeWorld::ShowWaiting(bool on)
{
    waiting = on;
}

void FakeWorld::ShowHosts(const std::vector<std::string>& list, int index)
{
    hosts = list;
    SelectHost(index);
}

void FakeWorld::SelectHost(int index)
{
    // As a combo box: a selection shows its entry's text, none leaves the box empty, and an index beyond
    // the list changes nothing.
    if (index >= static_cast<int>(hosts.size()))
        return;
    selected = index < 0 ? -1 : index;
    hostBox = index < 0 ? std::string() : hosts[static_cast<size_t>(index)];
}

void FakeWorld::Record(const ProdleRecord& record)
{
    history.push_back(record);
    // Each connect, and each start's lookup that fails, ends as one record at most.
    Expect(history.size() <= requests.size(), "more prodles in the history than requests made");
    Expect(record.Succeeded() == (record.replyMs >= 0), "a reply time without a reply, or none with one");
}

void FakeWorld::ShowBox(const std::string& text)
{
    Expect(openBoxes == 0, "a box while another is up");
    Expect(engine == nullptr || IsReporting(engine->CurrentPhase()), "a box outside the reporting phases");
    boxes.push_back(Built(text));
    ++openBoxes;
}

void FakeWorld::StoreConnection(const std::string& often, const std::vector<std::string>& list, int index)
{
    stored.often = often;
    stored.hosts = list;
    stored.selected = index;
    ++stored.writes;
}

void FakeWorld::StoreHostList(const std::vector<std::string>& list, int index)
{
    stored.hosts = list;
    stored.selected = index;
    ++stored.writes;
}

void FakeWorld::StoreOptions(const KeepAliveOptions& options)
{
    stored.options = options;
    ++stored.writes;
}

void FakeWorld::StoreIgnoreFailuresOff()
{
    KeepAliveOptions options = stored.options.value_or(KeepAliveOptions());
    options.ignoreFailures = false;
    stored.options = options;
    ++stored.writes;
}

// ---- EngineDriver ----------------------------------------------------------------------------------

EngineDriver::Settings EngineDriver::Stored(std::vector<std::string> hosts, int selected)
{
    Settings settings;
    settings.options.autoStart = false;
    settings.launchesStopped = true;
    settings.hosts = std::move(hosts);
    settings.selected = selected;
    return settings;
}

EngineDriver::Parameters EngineDriver::DefaultParameters()
{
    Parameters parameters;
    parameters.defaultHosts = {"www.one.example", "192.0.2.80", "www.two.example"};
    return parameters;
}

void EngineDriver::Launch(const Settings& settings, Parameters parameters, const KeepAliveCycle::Table& table)
{
    engine.reset();
    world = FakeWorld();
    engine = std::make_unique<KeepAliveEngine>(Ports{world, world, world, world, world, world}, settings,
                                               std::move(parameters), table);
    world.engine = engine.get();
}

void EngineDriver::Advance(uint64_t ms)
{
    const uint64_t end = world.now + ms;
    // A wake-up the engine keeps asking for at once would never let the time come: a bound catches it.
    for (int wakes = 0; world.wake && *world.wake <= end; ++wakes) {
        if (wakes == 100000) {
            world.broken.push_back("the engine asks to be woken at once, again and again");
            break;
        }
        world.now = std::max(world.now, *world.wake);
        world.wake.reset();
        engine->OnWake();
    }
    world.now = end;
}

bool EngineDriver::AdvanceToNextAlarm()
{
    if (!world.wake)
        return false;
    Advance(*world.wake > world.now ? *world.wake - world.now : 0);
    return true;
}

void EngineDriver::AnswerLocalAddress(const std::string& address)
{
    if (NetworkRequest* request = world.Open(Kind::LocalAddress)) {
        request->open = false;
        engine->OnLocalAddressFound(request->ticket, address);
    }
}

void EngineDriver::FailLocalAddress()
{
    if (NetworkRequest* request = world.Open(Kind::LocalAddress)) {
        request->open = false;
        engine->OnLocalAddressFailed(request->ticket);
    }
}

void EngineDriver::AnswerHost(bool found)
{
    if (NetworkRequest* request = world.Open(Kind::Host)) {
        request->open = false;
        if (found)
            engine->OnHostFound(request->ticket);
        else
            engine->OnHostNotFound(request->ticket);
    }
}

void EngineDriver::Connect(const std::string& address)
{
    if (NetworkRequest* request = world.Open(Kind::Connection))
        engine->OnConnected(request->ticket, address);
}

void EngineDriver::Refuse()
{
    if (NetworkRequest* request = world.Open(Kind::Connection)) {
        request->open = false;
        engine->OnConnectFailed(request->ticket);
    }
}

void EngineDriver::Reply()
{
    if (NetworkRequest* request = world.Open(Kind::Connection))
        engine->OnReplyData(request->ticket);
}

void EngineDriver::ServerCloses()
{
    if (NetworkRequest* request = world.Open(Kind::Connection)) {
        request->open = false;
        engine->OnConnectionClosed(request->ticket);
    }
}

void EngineDriver::PickHost(int index)
{
    world.SelectHost(index);
    engine->PickHost(index);
}

void EngineDriver::CloseBox()
{
    --world.openBoxes;
    engine->OnBoxClosed();
}

void EngineDriver::StartCounting()
{
    engine->Start();
    AnswerLocalAddress();
    AnswerHost(true);
}

void EngineDriver::ProdleGoesOut()
{
    const std::optional<uint64_t> due = deadline(Alarm::Prodle);
    if (due)
        Advance(*due > world.now ? *due - world.now : 0);
}

void EngineDriver::ProdleAndConnect()
{
    ProdleGoesOut();
    Connect();
}

std::vector<std::string> EngineDriver::Connections() const
{
    std::vector<std::string> hosts;
    for (const NetworkRequest& request : world.requests) {
        if (request.kind == Kind::Connection)
            hosts.push_back(request.host);
    }
    return hosts;
}

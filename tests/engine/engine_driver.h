// The keep-alive engine in a world of fakes: a clock the test moves, a network whose requests the test
// answers, the form and the tray as plain values, and a store that keeps what was written. Every port
// call is checked against the engine's phase at that moment, and what breaks a rule is collected in
// `broken`.
#ifndef PRODLE_TESTS_ENGINE_ENGINE_DRIVER_H
#define PRODLE_TESTS_ENGINE_ENGINE_DRIVER_H

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/keep_alive_engine.h"

struct NetworkRequest {
    enum class Kind { LocalAddress, Host, Connection };
    Kind kind;
    Ticket ticket;
    std::string host;
    bool open = true;
    std::string sent;
};

class FakeWorld : public Clock,
                  public Network,
                  public Display,
                  public SettingsStore,
                  public Journal,
                  public History {
public:
    uint64_t now = 5000000;
    std::string timeOfDay = "04:05:06";
    // The one wake-up the engine asked for.
    std::optional<uint64_t> wake;

    std::vector<NetworkRequest> requests;

    // The boxes hold what they were last shown, or what the user put there.
    std::string status, countdown, tip = "Prodle", minutes, hostBox;
    bool counting = false, startEnabled = false, waiting = false;
    TrayPicture picture = TrayPicture::Running;
    std::vector<std::string> hosts;
    int selected = -1;
    std::vector<std::string> boxes, notices, faults;
    int openBoxes = 0;

    struct Stored {
        std::optional<std::string> often;
        std::optional<std::vector<std::string>> hosts;
        std::optional<int> selected;
        std::optional<KeepAliveOptions> options;
        int writes = 0;
    } stored;

    std::vector<std::string> journal;
    std::vector<ProdleRecord> history;
    std::vector<std::string> broken;
    const KeepAliveEngine* engine = nullptr;

    // The open request of this kind (the last one), or null.
    NetworkRequest* Open(NetworkRequest::Kind kind);
    int OpenConnections() const;

    uint64_t NowMs() override { return now; }
    std::string TimeOfDay() override { return timeOfDay; }
    // The calendar moves with the clock.
    int64_t EpochSeconds() override { return 1700000000 + static_cast<int64_t>(now / 1000); }
    void WakeAt(uint64_t atMs) override { wake = atMs; }
    void CancelWake() override { wake.reset(); }

    void LookUpLocalAddress(Ticket ticket) override;
    void LookUpHost(Ticket ticket, const std::string& name) override;
    void Connect(Ticket ticket, const std::string& host) override;
    void Send(Ticket ticket, const std::string& bytes) override;
    void Close(Ticket ticket) override;

    void ShowStatus(const std::string& text) override { status = Built(text); }
    void ShowCountdown(const std::string& text) override { countdown = Built(text); }
    void ShowCounting(bool on) override { counting = on; }
    void EnableStart(bool enable) override { startEnabled = enable; }
    void ShowTrayPicture(TrayPicture shown) override { picture = shown; }
    void ShowTrayTip(const std::string& text) override { tip = Built(text); }
    void StopFlashing() override {}
    void ShowWaiting(bool on) override;
    void ShowMinutes(const std::string& text) override { minutes = text; }
    void ShowHosts(const std::vector<std::string>& list, int index) override;
    void SelectHost(int index) override;
    void ShowBox(const std::string& text) override;
    void ShowNotice(const std::string& text) override { notices.push_back(Built(text)); }
    void ReportFault(const std::string& text) override { faults.push_back(text); }
    std::string HostBoxText() override { return hostBox; }
    std::string MinutesBoxText() override { return minutes; }

    void StoreConnection(const std::string& often, const std::vector<std::string>& list, int index) override;
    void StoreHostList(const std::vector<std::string>& list, int index) override;
    void StoreOptions(const KeepAliveOptions& options) override;
    void StoreIgnoreFailuresOff() override;

    void Note(const std::string& line) override { journal.push_back(Built(line)); }
    void Record(const ProdleRecord& record) override;

private:
    void Expect(bool holds, const std::string& what);
    // A text the engine made: ASCII only, which every code page reads alike (the inputs here are ASCII).
    const std::string& Built(const std::string& text);
    NetworkRequest* Find(Ticket ticket);
};

class EngineDriver {
public:
    using Settings = KeepAliveEngine::Settings;
    using Parameters = KeepAliveEngine::Parameters;

    // Settings with these hosts, auto-start off; the default set the engine falls back on.
    static Settings Stored(std::vector<std::string> hosts, int selected = 0);
    static Parameters DefaultParameters();

    void Launch(const Settings& settings, Parameters parameters = DefaultParameters(),
                const KeepAliveCycle::Table& table = KeepAliveCycle::Rows());
    KeepAliveEngine* operator->() { return engine.get(); }
    Phase phase() const { return engine->CurrentPhase(); }
    std::optional<uint64_t> deadline(Alarm alarm) const { return engine->Deadline(alarm); }

    // The clock moves on, waking the engine at every alarm on the way; Sleep moves it with the machine
    // asleep (nothing runs).
    void Advance(uint64_t ms);
    void Sleep(uint64_t ms) { world.now += ms; }
    // Wakes the engine when it asked to be, if it did: false when it did not.
    bool AdvanceToNextAlarm();

    // The user puts a text into a box (no event: the engine reads the boxes when it needs them).
    void TypeHost(const std::string& text) { world.hostBox = text; }
    void TypeMinutes(const std::string& text) { world.minutes = text; }
    // The user picks an entry of the host list.
    void PickHost(int index);

    // The answers to the open request of each kind.
    void AnswerLocalAddress(const std::string& address = "192.0.2.7");
    void FailLocalAddress();
    void AnswerHost(bool found);
    void Connect(const std::string& address = "192.0.2.80");
    void Refuse();
    void Reply();
    void ServerCloses();
    void CloseBox();

    // Start, with the lookups answered: the countdown runs, its first prodle a second away.
    void StartCounting();
    // The prodle that is due goes out (and connects).
    void ProdleGoesOut();
    void ProdleAndConnect();
    // Requests made so far to connect, in order.
    std::vector<std::string> Connections() const;

    FakeWorld world;
    std::unique_ptr<KeepAliveEngine> engine;
};

#endif

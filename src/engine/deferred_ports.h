// The engine's ports as the engine sees them while it handles an event: every call that changes the world
// is kept back until the event is settled (Flush) and dropped when the event is undone (Drop); the
// clock's readings go through at once.
#ifndef PRODLE_ENGINE_DEFERRED_PORTS_H
#define PRODLE_ENGINE_DEFERRED_PORTS_H

#include <functional>
#include <string>
#include <vector>

#include "engine/ports.h"

struct Ports {
    Clock& clock;
    Network& network;
    Display& display;
    SettingsStore& store;
    Journal& journal;
    History& history;
};

class DeferredPorts : public Clock,
                      public Network,
                      public Display,
                      public SettingsStore,
                      public Journal,
                      public History {
public:
    explicit DeferredPorts(Ports real) : m_real(real) {}
    DeferredPorts(const DeferredPorts&) = delete;
    DeferredPorts& operator=(const DeferredPorts&) = delete;

    void Flush();
    void Drop() { m_calls.clear(); }
    // The real display, for a fault that must be told even when the event is dropped.
    Display& RealDisplay() { return m_real.display; }

    uint64_t NowMs() override { return m_real.clock.NowMs(); }
    std::string TimeOfDay() override { return m_real.clock.TimeOfDay(); }
    int64_t EpochSeconds() override { return m_real.clock.EpochSeconds(); }
    void WakeAt(Alarm alarm, uint64_t atMs) override;
    void CancelWake(Alarm alarm) override;

    void LookUpLocalAddress(Ticket ticket) override;
    void LookUpHost(Ticket ticket, const std::string& name) override;
    void Connect(Ticket ticket, const std::string& host) override;
    void Send(Ticket ticket, const std::string& bytes) override;
    void Close(Ticket ticket) override;

    void ShowStatus(const std::string& text) override;
    void ShowCountdown(const std::string& text) override;
    void ShowCounting(bool counting) override;
    void EnableStart(bool enable) override;
    void ShowTrayPicture(TrayPicture picture) override;
    void ShowTrayTip(const std::string& tip) override;
    void StopFlashing() override;
    void ShowWaiting(bool waiting) override;
    void ShowMinutes(const std::string& text) override;
    void ShowHosts(const std::vector<std::string>& hosts, int selected) override;
    void SelectHost(int index) override;
    void ShowBox(const std::string& text) override;
    void ShowNotice(const std::string& text) override;
    void ReportFault(const std::string& text) override;
    // Read at once, like the clock: the boxes' texts as the user left them when the event began.
    std::string HostBoxText() override { return m_real.display.HostBoxText(); }
    std::string MinutesBoxText() override { return m_real.display.MinutesBoxText(); }

    void StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                         int selected) override;
    void StoreHostList(const std::vector<std::string>& hosts, int selected) override;
    void StoreOptions(const KeepAliveOptions& options) override;
    void StoreIgnoreFailuresOff() override;

    void Note(const std::string& line) override;
    void Record(const ProdleRecord& record) override;

private:
    void Later(std::function<void()> call) { m_calls.push_back(std::move(call)); }

    Ports m_real;
    std::vector<std::function<void()>> m_calls;
};

#endif

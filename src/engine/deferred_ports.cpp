#include "engine/deferred_ports.h"

#include <utility>

void DeferredPorts::Flush()
{
    // A call may hand an event back at once; the engine keeps it for later, so nothing is added here
    // while the calls run.
    std::vector<std::function<void()>> calls;
    calls.swap(m_calls);
    for (const auto& call : calls)
        call();
}

void DeferredPorts::WakeAt(Alarm alarm, uint64_t atMs)
{
    Later([this, alarm, atMs] { m_real.clock.WakeAt(alarm, atMs); });
}

void DeferredPorts::CancelWake(Alarm alarm)
{
    Later([this, alarm] { m_real.clock.CancelWake(alarm); });
}

void DeferredPorts::LookUpLocalAddress(Ticket ticket)
{
    Later([this, ticket] { m_real.network.LookUpLocalAddress(ticket); });
}

void DeferredPorts::LookUpHost(Ticket ticket, const std::string& name)
{
    Later([this, ticket, name] { m_real.network.LookUpHost(ticket, name); });
}

void DeferredPorts::Connect(Ticket ticket, const std::string& host)
{
    Later([this, ticket, host] { m_real.network.Connect(ticket, host); });
}

void DeferredPorts::Send(Ticket ticket, const std::string& bytes)
{
    Later([this, ticket, bytes] { m_real.network.Send(ticket, bytes); });
}

void DeferredPorts::Close(Ticket ticket)
{
    Later([this, ticket] { m_real.network.Close(ticket); });
}

void DeferredPorts::ShowStatus(const std::string& text)
{
    Later([this, text] { m_real.display.ShowStatus(text); });
}

void DeferredPorts::ShowCountdown(const std::string& text)
{
    Later([this, text] { m_real.display.ShowCountdown(text); });
}

void DeferredPorts::ShowCounting(bool counting)
{
    Later([this, counting] { m_real.display.ShowCounting(counting); });
}

void DeferredPorts::EnableStart(bool enable)
{
    Later([this, enable] { m_real.display.EnableStart(enable); });
}

void DeferredPorts::ShowTrayPicture(TrayPicture picture)
{
    Later([this, picture] { m_real.display.ShowTrayPicture(picture); });
}

void DeferredPorts::ShowTrayTip(const std::string& tip)
{
    Later([this, tip] { m_real.display.ShowTrayTip(tip); });
}

void DeferredPorts::StopFlashing()
{
    Later([this] { m_real.display.StopFlashing(); });
}

void DeferredPorts::ShowWaiting(bool waiting)
{
    Later([this, waiting] { m_real.display.ShowWaiting(waiting); });
}

void DeferredPorts::ShowMinutes(const std::string& text)
{
    Later([this, text] { m_real.display.ShowMinutes(text); });
}

void DeferredPorts::ShowHosts(const std::vector<std::string>& hosts, int selected)
{
    Later([this, hosts, selected] { m_real.display.ShowHosts(hosts, selected); });
}

void DeferredPorts::SelectHost(int index)
{
    Later([this, index] { m_real.display.SelectHost(index); });
}

void DeferredPorts::ShowBox(const std::string& text)
{
    Later([this, text] { m_real.display.ShowBox(text); });
}

void DeferredPorts::ShowNotice(const std::string& text)
{
    Later([this, text] { m_real.display.ShowNotice(text); });
}

void DeferredPorts::ReportFault(const std::string& text)
{
    Later([this, text] { m_real.display.ReportFault(text); });
}

void DeferredPorts::StoreConnection(const std::string& often, const std::vector<std::string>& hosts,
                                    int selected)
{
    Later([this, often, hosts, selected] { m_real.store.StoreConnection(often, hosts, selected); });
}

void DeferredPorts::StoreHostList(const std::vector<std::string>& hosts, int selected)
{
    Later([this, hosts, selected] { m_real.store.StoreHostList(hosts, selected); });
}

void DeferredPorts::StoreOptions(const KeepAliveOptions& options)
{
    Later([this, options] { m_real.store.StoreOptions(options); });
}

void DeferredPorts::StoreIgnoreFailuresOff()
{
    Later([this] { m_real.store.StoreIgnoreFailuresOff(); });
}

void DeferredPorts::Note(const std::string& line)
{
    Later([this, line] { m_real.journal.Note(line); });
}

void DeferredPorts::Record(const ProdleRecord& record)
{
    Later([this, record] { m_real.history.Record(record); });
}

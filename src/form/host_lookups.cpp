#include "form/host_lookups.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <memory>

#include "engine/rules/local_address.h"
#include "form/adapter_addresses.h"
#include "form/socket_address.h"

struct HostLookups::Job {
    HWND window;
    UINT message;
    unsigned number;
    bool local;  // the computer's own address, not a name's
    std::string name;
    std::vector<IpAddress> addresses;
};

namespace {

std::vector<IpAddress> AddressesOfName(const std::string& name)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    std::vector<IpAddress> addresses;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (const auto address = SocketAddress::AddressOf(entry->ai_addr, entry->ai_addrlen))
            addresses.push_back(*address);
    }
    ::freeaddrinfo(found);
    return addresses;
}

std::vector<IpAddress> OwnAddress()
{
    const auto adapters = ReadAdapterAddresses();
    if (!adapters)
        return {};
    std::vector<LocalAddressCandidate> candidates;
    for (const AdapterAddress& adapter : *adapters)
        candidates.push_back(adapter.candidate);
    const auto picked = PickLocalAddress(candidates);
    return picked ? std::vector<IpAddress>{*picked} : std::vector<IpAddress>();
}

}  // namespace

bool HostLookups::Start(HWND window, UINT message, const std::string& name)
{
    return Queue(new Job{window, message, 0, false, name, {}});
}

bool HostLookups::StartLocal(HWND window, UINT message)
{
    return Queue(new Job{window, message, 0, true, std::string(), {}});
}

bool HostLookups::Queue(Job* job)
{
    GiveUp();
    job->number = m_nextNumber++;
    if (!::QueueUserWorkItem(&HostLookups::Run, job, WT_EXECUTELONGFUNCTION)) {
        delete job;
        return false;
    }
    m_current = {job->number, job};
    return true;
}

DWORD WINAPI HostLookups::Run(void* context)
{
    auto* job = static_cast<Job*>(context);
    job->addresses = job->local ? OwnAddress() : AddressesOfName(job->name);
    // A window that is gone takes no message: nobody else will free the job.
    if (!::PostMessageA(job->window, job->message, job->number, reinterpret_cast<LPARAM>(job)))
        delete job;
    return 0;
}

bool HostLookups::TakeAnswer(WPARAM wParam, LPARAM lParam, std::vector<IpAddress>* addresses)
{
    const std::pair<unsigned, Job*> answer = {static_cast<unsigned>(wParam), reinterpret_cast<Job*>(lParam)};
    const auto givenUp = std::find(m_givenUp.begin(), m_givenUp.end(), answer);
    if (givenUp != m_givenUp.end()) {
        m_givenUp.erase(givenUp);
        delete answer.second;
        return false;
    }
    if (answer != m_current || !answer.second)
        return false;
    std::unique_ptr<Job> job(answer.second);
    m_current = {0, nullptr};
    *addresses = std::move(job->addresses);
    return true;
}

void HostLookups::GiveUp()
{
    if (m_current.second)
        m_givenUp.push_back(m_current);
    m_current = {0, nullptr};
}

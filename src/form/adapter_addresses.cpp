#include "form/adapter_addresses.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include "form/socket_address.h"

std::optional<std::vector<AdapterAddress>> ReadAdapterAddresses()
{
    // The list may grow between the size and the copy: asked for again, a few times.
    std::vector<unsigned char> buffer(16 * 1024);
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                        GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        ULONG size = static_cast<ULONG>(buffer.size());
        result = ::GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                        reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
        if (result == ERROR_BUFFER_OVERFLOW)
            buffer.assign(size, 0);
    }
    std::vector<AdapterAddress> addresses;
    if (result == ERROR_NO_DATA)  // no adapter at all
        return addresses;
    if (result != NO_ERROR)
        return std::nullopt;
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter->FirstUnicastAddress; unicast;
             unicast = unicast->Next) {
            const auto address = SocketAddress::AddressOf(
                unicast->Address.lpSockaddr, static_cast<size_t>(unicast->Address.iSockaddrLength));
            if (!address)
                continue;
            AdapterAddress entry;
            entry.candidate.address = *address;
            entry.candidate.usable =
                adapter->OperStatus == IfOperStatusUp && unicast->DadState != IpDadStateTentative &&
                unicast->DadState != IpDadStateDuplicate && unicast->DadState != IpDadStateDeprecated;
            entry.temporary = unicast->SuffixOrigin == IpSuffixOriginRandom;
            addresses.push_back(entry);
        }
    }
    return addresses;
}

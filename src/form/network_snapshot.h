// What of the network the program's prodles depend on: the machine's IPv4 addresses and the default
// route's interface and gateway, and its IPv6 addresses. A notice of an address change that leaves all
// of these as they were (a VPN's, Hyper-V's or Docker's adapter coming and going, a Wi-Fi that flaps
// back to the same lease, a new temporary IPv6 address) changes nothing for the program. Windows XP
// has every call it takes (iphlpapi's tables, and GetAdaptersAddresses for IPv6).
#ifndef PRODLE_FORM_NETWORK_SNAPSHOT_H
#define PRODLE_FORM_NETWORK_SNAPSHOT_H

#include <windows.h>

#include <optional>
#include <vector>

#include "engine/rules/ip_address.h"

struct NetworkSnapshot {
    std::vector<DWORD> addresses;  // IPv4 unicast, in network byte order, sorted
    DWORD routeInterface = 0;      // the default route's interface index; 0: no default route
    DWORD gateway = 0;             // its next hop, in network byte order
    // IPv6 unicast but temporary ones (which come every day or so on the same network), sorted.
    std::vector<IpAddress> ipv6Addresses;

    bool operator==(const NetworkSnapshot& other) const
    {
        return addresses == other.addresses && routeInterface == other.routeInterface &&
               gateway == other.gateway && ipv6Addresses == other.ipv6Addresses;
    }
    bool operator!=(const NetworkSnapshot& other) const { return !(*this == other); }

    // The machine's now; none when the system would not tell.
    static std::optional<NetworkSnapshot> Read();
};

#endif

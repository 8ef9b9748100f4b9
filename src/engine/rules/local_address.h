// Which of the computer's addresses names it in the requests' Host line and the About box.
#ifndef PRODLE_ENGINE_RULES_LOCAL_ADDRESS_H
#define PRODLE_ENGINE_RULES_LOCAL_ADDRESS_H

#include <optional>
#include <vector>

#include "engine/rules/ip_address.h"

struct LocalAddressCandidate {
    IpAddress address;
    // Its adapter is up, and the address is neither still being checked for a duplicate, nor a
    // duplicate, nor on its way out.
    bool usable = false;
};

// Of the usable addresses, in the system's order: the first IPv4 address (neither loopback nor one the
// machine gave itself); without one, the first global IPv6 address (an IPv6-only network); then an
// IPv4 address the machine gave itself (169.254.x.x); then the IPv4 loopback, which is what the lookup
// of the computer's own name gives a machine without a network. None when there is none of these.
std::optional<IpAddress> PickLocalAddress(const std::vector<LocalAddressCandidate>& candidates);

#endif

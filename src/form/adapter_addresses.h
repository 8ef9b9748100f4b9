// The computer's unicast addresses of both families, adapter by adapter in the system's order, from
// GetAdaptersAddresses (Windows XP SP1 and later; on XP, IPv6 addresses only where IPv6 is installed).
#ifndef PRODLE_FORM_ADAPTER_ADDRESSES_H
#define PRODLE_FORM_ADAPTER_ADDRESSES_H

#include <optional>
#include <vector>

#include "engine/rules/local_address.h"

struct AdapterAddress {
    LocalAddressCandidate candidate;
    // A temporary IPv6 address (RFC 4941): a new one comes every day or so, on the same network.
    bool temporary = false;
};

// None when the system would not tell.
std::optional<std::vector<AdapterAddress>> ReadAdapterAddresses();

#endif

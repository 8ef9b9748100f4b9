// In what order, and how far apart, a connection tries the addresses of a host that has several (a
// name with IPv6 and IPv4 addresses): RFC 8305's "Happy Eyeballs". A broken family then costs a
// quarter of a second rather than a connect's whole time-out.
#ifndef PRODLE_ENGINE_RULES_RACE_ORDER_H
#define PRODLE_ENGINE_RULES_RACE_ORDER_H

#include <vector>

#include "engine/rules/ip_address.h"

// The next address is tried this long after the one before, unless an attempt has completed (the
// first to complete wins) or every attempt made so far has failed (the next one starts at once).
constexpr unsigned kNextAttemptDelayMs = 250;

// The families take turns, starting with the family of the system's first choice (the order the lookup
// gives, by the system's policy: IPv6 first where the machine can reach IPv6), each family's addresses
// in the system's order; an address given twice is tried once.
std::vector<IpAddress> RaceOrder(const std::vector<IpAddress>& addresses);

#endif

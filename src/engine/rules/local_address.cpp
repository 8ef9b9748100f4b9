#include "engine/rules/local_address.h"

#include <functional>

std::optional<IpAddress> PickLocalAddress(const std::vector<LocalAddressCandidate>& candidates)
{
    using Rule = std::function<bool(const IpAddress&)>;
    const Rule preferences[] = {
        [](const IpAddress& a) { return a.family == IpFamily::V4 && !IsLoopback(a) && !IsLinkLocalIpv4(a); },
        [](const IpAddress& a) { return IsGlobalIpv6(a); },
        [](const IpAddress& a) { return IsLinkLocalIpv4(a); },
        [](const IpAddress& a) { return a.family == IpFamily::V4 && IsLoopback(a); },
    };
    for (const Rule& preferred : preferences) {
        for (const LocalAddressCandidate& candidate : candidates) {
            if (candidate.usable && preferred(candidate.address))
                return candidate.address;
        }
    }
    return std::nullopt;
}

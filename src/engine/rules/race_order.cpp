#include "engine/rules/race_order.h"

#include <algorithm>

std::vector<IpAddress> RaceOrder(const std::vector<IpAddress>& addresses)
{
    std::vector<IpAddress> first, second;
    for (const IpAddress& address : addresses) {
        if (std::find(first.begin(), first.end(), address) != first.end() ||
            std::find(second.begin(), second.end(), address) != second.end())
            continue;
        (address.family == addresses.front().family ? first : second).push_back(address);
    }
    std::vector<IpAddress> order;
    for (size_t i = 0; i < first.size() || i < second.size(); ++i) {
        if (i < first.size())
            order.push_back(first[i]);
        if (i < second.size())
            order.push_back(second[i]);
    }
    return order;
}

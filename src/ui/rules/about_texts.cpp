#include "ui/rules/about_texts.h"

std::string FormatTimeSinceLaunch(uint32_t nowTick, uint32_t launchTick)
{
    const uint32_t elapsed = static_cast<uint32_t>(nowTick - launchTick) / 1000u;
    // At most 4294967 seconds, so either count fits easily in any integer.
    if (elapsed >= 120u)
        return std::to_string(elapsed / 60u) + " minutes";
    return std::to_string(elapsed) + " seconds";
}

std::string AboutAddressText(const std::string& address)
{
    // A dotted IPv4 address has at most 15 characters, and one line holds that much and a little more.
    constexpr size_t kOneLine = 20;
    if (address.size() <= kOneLine || address.find(':') == std::string::npos)
        return address;
    size_t best = std::string::npos;
    for (size_t colon = address.find(':'); colon != std::string::npos; colon = address.find(':', colon + 1)) {
        const size_t middle = address.size() / 2;
        const auto distance = [middle](size_t at) { return at > middle ? at - middle : middle - at; };
        if (colon + 1 < address.size() && (best == std::string::npos || distance(colon) < distance(best)))
            best = colon;
    }
    return best == std::string::npos ? address
                                     : address.substr(0, best + 1) + "\r\n" + address.substr(best + 1);
}

std::string LinkTarget(const std::string& windowText, const std::string& mailboxPrefix)
{
    if (windowText.find(mailboxPrefix) != std::string::npos)
        return "mailto:" + windowText;
    return windowText;
}

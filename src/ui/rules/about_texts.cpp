#include "ui/rules/about_texts.h"

std::string FormatTimeSinceLaunch(uint32_t nowTick, uint32_t launchTick)
{
    const uint32_t elapsed = static_cast<uint32_t>(nowTick - launchTick) / 1000u;
    // At most 4294967 seconds, so either count fits easily in any integer.
    if (elapsed >= 120u)
        return std::to_string(elapsed / 60u) + " minutes";
    return std::to_string(elapsed) + " seconds";
}

std::string LinkTarget(const std::string& windowText, const std::string& mailboxPrefix)
{
    if (windowText.find(mailboxPrefix) != std::string::npos)
        return "mailto:" + windowText;
    return windowText;
}

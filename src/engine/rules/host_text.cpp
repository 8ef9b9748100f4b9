#include "engine/rules/host_text.h"

bool StartsWithDigit(const std::string& host)
{
    return !host.empty() && host[0] >= '0' && host[0] <= '9';
}

std::string WithoutLeadingSpaces(const std::string& host)
{
    const size_t first = host.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : host.substr(first);
}

#include "engine/rules/ip_address.h"

#include <cstdio>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One number of a dotted address as C writes numbers: 0x1F, 017 or 15. Beyond 2^32 it is none.
std::optional<uint64_t> DottedPart(const std::string& text)
{
    if (text.empty() || !IsDigit(text[0]))
        return std::nullopt;
    unsigned base = 10;
    size_t at = 0;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        at = 2;
        if (text.size() == 2)
            return std::nullopt;
    } else if (text[0] == '0') {
        base = 8;
    }
    uint64_t value = 0;
    for (; at < text.size(); ++at) {
        const int digit = HexValue(text[at]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            return std::nullopt;
        value = value * base + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return value;
}

std::optional<IpAddress> ParseIpv4(const std::string& text)
{
    const size_t end = text.find_last_not_of(' ');
    if (end == std::string::npos)
        return std::nullopt;
    const std::string dotted = text.substr(0, end + 1);
    uint64_t parts[4] = {};
    size_t count = 0;
    for (size_t start = 0;;) {
        const size_t dot = dotted.find('.', start);
        if (count == 4)
            return std::nullopt;
        const auto part = DottedPart(dotted.substr(start, dot == std::string::npos ? dot : dot - start));
        if (!part)
            return std::nullopt;
        parts[count++] = *part;
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    // The parts before the last are a byte each; the last fills the bytes that remain.
    uint64_t value = 0;
    for (size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 255)
            return std::nullopt;
        value |= parts[i] << (8 * (3 - i));
    }
    const unsigned lastBits = 8 * static_cast<unsigned>(5 - count);
    if (lastBits < 32 && parts[count - 1] >> lastBits != 0)
        return std::nullopt;
    value |= parts[count - 1];
    IpAddress address;
    for (size_t i = 0; i < 4; ++i)
        address.bytes[i] = static_cast<uint8_t>(value >> (8 * (3 - i)));
    return address;
}

// The dotted tail of an IPv6 text: four decimal numbers of up to three digits, each at most 255.
bool ParseDottedTail(const std::string& text, uint8_t out[4])
{
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != '.'))
            return false;
        unsigned value = 0;
        size_t digits = 0;
        while (at < text.size() && IsDigit(text[at]) && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255)
            return false;
        out[i] = static_cast<uint8_t>(value);
    }
    return at == text.size();
}

std::optional<IpAddress> ParseIpv6(const std::string& text)
{
    uint16_t groups[8] = {};
    size_t count = 0;
    std::optional<size_t> gap;  // where "::" stands, in groups
    size_t at = 0;
    if (text.compare(0, 2, "::") == 0) {
        gap = 0;
        at = 2;
    } else if (text.empty() || text[0] == ':') {
        return std::nullopt;
    }
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && HexValue(text[end]) >= 0)
            ++end;
        if (end < text.size() && text[end] == '.') {
            uint8_t tail[4];
            if (count > 6 || !ParseDottedTail(text.substr(at), tail))
                return std::nullopt;
            groups[count++] = static_cast<uint16_t>(tail[0] << 8 | tail[1]);
            groups[count++] = static_cast<uint16_t>(tail[2] << 8 | tail[3]);
            at = text.size();
            break;
        }
        if (end == at || end - at > 4 || count == 8)
            return std::nullopt;
        unsigned value = 0;
        for (size_t i = at; i < end; ++i)
            value = value * 16 + static_cast<unsigned>(HexValue(text[i]));
        groups[count++] = static_cast<uint16_t>(value);
        if (end == text.size()) {
            at = end;
            break;
        }
        if (text[end] != ':')
            return std::nullopt;
        if (end + 1 < text.size() && text[end + 1] == ':') {
            if (gap)
                return std::nullopt;
            gap = count;
            at = end + 2;
        } else {
            at = end + 1;
            if (at == text.size())
                return std::nullopt;  // a colon at the end without its group
        }
    }
    if (gap ? count > 7 : count != 8)
        return std::nullopt;
    IpAddress address;
    address.family = IpFamily::V6;
    const size_t zeros = 8 - count;
    for (size_t i = 0; i < count; ++i) {
        const size_t slot = gap && i >= *gap ? i + zeros : i;
        address.bytes[2 * slot] = static_cast<uint8_t>(groups[i] >> 8);
        address.bytes[2 * slot + 1] = static_cast<uint8_t>(groups[i] & 0xFF);
    }
    return address;
}

std::string DottedText(const uint8_t* bytes)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

}  // namespace

std::optional<IpAddress> ParseAddressLiteral(const std::string& text)
{
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos || text.find_first_not_of(' ', close + 1) != std::string::npos)
            return std::nullopt;
        return ParseIpv6(text.substr(1, close - 1));
    }
    if (text.find(':') != std::string::npos)
        return ParseIpv6(text);
    return ParseIpv4(text);
}

std::string AddressText(const IpAddress& address)
{
    const auto& b = address.bytes;
    if (address.family == IpFamily::V4)
        return DottedText(b.data());
    bool mapped = b[10] == 0xFF && b[11] == 0xFF;
    for (size_t i = 0; i < 10; ++i)
        mapped = mapped && b[i] == 0;
    if (mapped)
        return "::ffff:" + DottedText(b.data() + 12);

    unsigned groups[8];
    for (size_t i = 0; i < 8; ++i)
        groups[i] = static_cast<unsigned>(b[2 * i] << 8 | b[2 * i + 1]);
    // The longest run of zero groups, the first of equals, shortened when it is two groups or more.
    size_t bestStart = 8, bestLength = 1;
    for (size_t i = 0; i < 8;) {
        size_t length = 0;
        while (i + length < 8 && groups[i + length] == 0)
            ++length;
        if (length > bestLength) {
            bestStart = i;
            bestLength = length;
        }
        i += length > 0 ? length : 1;
    }
    std::string text;
    for (size_t i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':')
            text += ':';
        char group[8];
        std::snprintf(group, sizeof group, "%x", groups[i]);
        text += group;
    }
    return text;
}

bool IsLoopback(const IpAddress& address)
{
    if (address.family == IpFamily::V4)
        return address.bytes[0] == 127;
    for (size_t i = 0; i < 15; ++i) {
        if (address.bytes[i] != 0)
            return false;
    }
    return address.bytes[15] == 1;
}

bool IsLinkLocalIpv4(const IpAddress& address)
{
    return address.family == IpFamily::V4 && address.bytes[0] == 169 && address.bytes[1] == 254;
}

bool IsGlobalIpv6(const IpAddress& address)
{
    return address.family == IpFamily::V6 && (address.bytes[0] & 0xE0) == 0x20;
}

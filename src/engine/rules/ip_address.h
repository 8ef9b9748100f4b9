// Internet addresses of both families, and their texts: an address typed as a host (dotted IPv4 as the
// sockets layer has always read it, or IPv6 in its textual forms, with or without brackets), and an
// address written for people (dotted IPv4; IPv6 in the one form RFC 5952 recommends).
#ifndef PRODLE_ENGINE_RULES_IP_ADDRESS_H
#define PRODLE_ENGINE_RULES_IP_ADDRESS_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>

enum class IpFamily { V4, V6 };

struct IpAddress {
    IpFamily family = IpFamily::V4;
    // In network order: an IPv4 address in the first four, the rest zero.
    std::array<uint8_t, 16> bytes = {};

    bool operator==(const IpAddress& other) const { return family == other.family && bytes == other.bytes; }
    bool operator!=(const IpAddress& other) const { return !(*this == other); }
};

// The address a host text is, or nothing for a name. IPv4: one to four numbers split by dots, each
// decimal, octal (a leading 0) or hexadecimal (0x), the last filling the bytes left ("127.1"), spaces
// after it allowed. IPv6: eight groups of one to four hexadecimal digits split by colons, one run of
// them shortened to "::", the last two may be a dotted IPv4 address; the whole may be in brackets
// ("[::1]"). A zone ("%4") is not read: such a text is a name.
std::optional<IpAddress> ParseAddressLiteral(const std::string& text);

// "192.0.2.7"; "2001:db8::7" (lower case, no leading zeros, the longest run of two or more zero groups
// as "::"), and an IPv4-mapped address as "::ffff:192.0.2.7".
std::string AddressText(const IpAddress& address);

// 127.0.0.0/8 and ::1.
bool IsLoopback(const IpAddress& address);
// 169.254.0.0/16, which a machine gives itself when no server hands it an address.
bool IsLinkLocalIpv4(const IpAddress& address);
// Global unicast IPv6 (2000::/3): an address the Internet routes.
bool IsGlobalIpv6(const IpAddress& address);

#endif

#include "form/socket_address.h"

#include <cstring>

SocketAddress SocketAddress::Of(const IpAddress& address, unsigned short port)
{
    SocketAddress result;
    if (address.family == IpFamily::V4) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&result.storage);
        v4->sin_family = AF_INET;
        v4->sin_port = ::htons(port);
        std::memcpy(&v4->sin_addr, address.bytes.data(), 4);
        result.length = sizeof(sockaddr_in);
    } else {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&result.storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = ::htons(port);
        std::memcpy(&v6->sin6_addr, address.bytes.data(), 16);
        result.length = sizeof(sockaddr_in6);
    }
    return result;
}

std::optional<IpAddress> SocketAddress::AddressOf(const sockaddr* address, size_t length)
{
    IpAddress result;
    if (address && address->sa_family == AF_INET && length >= sizeof(sockaddr_in)) {
        std::memcpy(result.bytes.data(), &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, 4);
        return result;
    }
    if (address && address->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        result.family = IpFamily::V6;
        std::memcpy(result.bytes.data(), &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, 16);
        return result;
    }
    return std::nullopt;
}

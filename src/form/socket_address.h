// An address of either family as the sockets layer takes it (port 80, or any port) and gives it back.
#ifndef PRODLE_FORM_SOCKET_ADDRESS_H
#define PRODLE_FORM_SOCKET_ADDRESS_H

#include <winsock2.h>
#include <ws2tcpip.h>

#include <optional>

#include "engine/rules/ip_address.h"

struct SocketAddress {
    sockaddr_storage storage = {};
    int length = 0;

    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&storage); }
    int Family() const { return storage.ss_family; }

    static SocketAddress Of(const IpAddress& address, unsigned short port);
    // The address of a sockets structure of either family; none for another family or a short one.
    static std::optional<IpAddress> AddressOf(const sockaddr* address, size_t length);
};

#endif

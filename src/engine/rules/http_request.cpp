#include "engine/rules/http_request.h"

std::string BuildProdleRequest(const std::string& localAddress)
{
    // An old browser's request, as modest as it gets: the point is traffic on
    // the line, not the answer, so nothing here asks for anything large.
    static const char head[] = "GET / HTTP/1.0\r\n"
                               "Connection: Keep-Alive\r\n"
                               "User-Agent: Mozilla/3.0 (Win95; I)\r\n"
                               "Host: ";
    static const char tail[] = "\r\n"
                               "Accept: image/gif, image/jpeg, */*\r\n"
                               "\r\n";
    // An IPv6 address is written in brackets, as HTTP writes one in a host.
    const bool ipv6 = localAddress.find(':') != std::string::npos;
    std::string request;
    request.reserve(sizeof head - 1 + localAddress.size() + 2 + sizeof tail - 1);
    request.append(head, sizeof head - 1);
    request.append(ipv6 ? "[" + localAddress + "]" : localAddress);
    request.append(tail, sizeof tail - 1);
    return request;
}

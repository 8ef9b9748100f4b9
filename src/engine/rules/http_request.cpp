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
    std::string request;
    request.reserve(sizeof head - 1 + localAddress.size() + sizeof tail - 1);
    request.append(head, sizeof head - 1);
    request.append(localAddress);
    request.append(tail, sizeof tail - 1);
    return request;
}

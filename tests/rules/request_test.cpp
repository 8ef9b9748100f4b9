// The request sent to wake the connection.
#include <gtest/gtest.h>

#include "engine/rules/http_request.h"

TEST(ProdleRequest, ExactBytesAroundTheAddress)
{
    EXPECT_EQ(BuildProdleRequest("192.168.0.7"), "GET / HTTP/1.0\r\n"
                                                 "Connection: Keep-Alive\r\n"
                                                 "User-Agent: Mozilla/3.0 (Win95; I)\r\n"
                                                 "Host: 192.168.0.7\r\n"
                                                 "Accept: image/gif, image/jpeg, */*\r\n"
                                                 "\r\n");
    const std::string withZero("a\0b", 3);
    EXPECT_EQ(BuildProdleRequest(withZero).substr(82, 3 + 2), withZero + "\r\n");
    EXPECT_EQ(BuildProdleRequest("").size(), 122u);
    // An IPv6 address in brackets, as HTTP writes one; not a byte else changes.
    std::string ipv6 = BuildProdleRequest("192.168.0.7");
    ipv6.replace(82, 11, "[2001:db8::7]");
    EXPECT_EQ(BuildProdleRequest("2001:db8::7"), ipv6);
}

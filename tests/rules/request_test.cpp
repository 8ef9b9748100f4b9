// The request sent to wake the connection.
#include "engine/http_request.h"

#include <gtest/gtest.h>

TEST(ProdleRequest, ExactBytesAroundTheAddress)
{
    const std::string request = BuildProdleRequest("192.168.0.7");
    EXPECT_EQ(request, "GET / HTTP/1.0\r\n"
                       "Connection: Keep-Alive\r\n"
                       "User-Agent: Mozilla/3.0 (Win95; I)\r\n"
                       "Host: 192.168.0.7\r\n"
                       "Accept: image/gif, image/jpeg, */*\r\n"
                       "\r\n");
    EXPECT_EQ(request.size(), 122u + 11u);
}

TEST(ProdleRequest, AddressIsCopiedAsGiven)
{
    EXPECT_EQ(BuildProdleRequest("").size(), 122u);
    const std::string withZero("a\0b", 3);
    const std::string request = BuildProdleRequest(withZero);
    EXPECT_EQ(request.size(), 125u);
    EXPECT_EQ(request.substr(82, 3), withZero);
}

// The system's notice of a change of the machine's IPv6 addresses (NotifyUnicastIpAddressChange,
// Windows Vista and later, looked up at run time; Windows XP has none, and its IPv4 notice,
// NotifyAddrChange, is all the watch hears there). Each notice comes to the window as
// WM_PRODLE_ADDRESS_NOTICE, as the IPv4 one does, posted from the system's thread. Asked for as long as
// the object lives.
#ifndef PRODLE_FORM_IPV6_ADDRESS_NOTICE_H
#define PRODLE_FORM_IPV6_ADDRESS_NOTICE_H

#include <windows.h>

class Ipv6AddressNotice {
public:
    Ipv6AddressNotice() = default;
    Ipv6AddressNotice(const Ipv6AddressNotice&) = delete;
    Ipv6AddressNotice& operator=(const Ipv6AddressNotice&) = delete;
    ~Ipv6AddressNotice();

    // False where the system has no such notice, or refused it.
    bool Start(HWND window);

private:
    HANDLE m_notice = nullptr;
};

#endif

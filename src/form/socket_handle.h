// A Windows Sockets socket that closes when it goes out of scope or is replaced.
#ifndef PRODLE_FORM_SOCKET_HANDLE_H
#define PRODLE_FORM_SOCKET_HANDLE_H

#include <winsock.h>

#include "framework/scoped_handle.h"

struct SocketHandleTraits {
    using Handle = SOCKET;
    static Handle Empty() { return INVALID_SOCKET; }
    static void Close(Handle socket) { ::closesocket(socket); }
};
using SocketHandle = ScopedHandle<SocketHandleTraits>;

#endif

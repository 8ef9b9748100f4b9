// The test program's entry: one application object, as in prodle.exe, then the tests.
#include <gtest/gtest.h>

#include <winsock.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "support/test_app.h"

namespace {
TestApp theTestApp;
}  // namespace

TestApp& App()
{
    return theTestApp;
}

// Without a window manager, removing the last icon of Wine's tray window blocks for about two
// seconds; a placeholder icon that outlives every test keeps the program's icon from being the last.
void AddPlaceholderTrayIcon()
{
    HWND owner = ::CreateWindowExA(0, "STATIC", "tray placeholder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = owner;
    icon.uID = 1;
    icon.uFlags = NIF_ICON;
    icon.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    ::Shell_NotifyIconA(NIM_ADD, &icon);
}

int main(int argc, char** argv)
{
    ::InitCommonControls();
    // The tests' own sockets (loopback servers) need Windows Sockets before any view starts it.
    WSADATA data;
    ::WSAStartup(MAKEWORD(1, 1), &data);
    testing::InitGoogleTest(&argc, argv);
    AddPlaceholderTrayIcon();
    return RUN_ALL_TESTS();
}

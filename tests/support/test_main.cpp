// The test program's entry: one application object, as in prodle.exe, then the tests (or a helper mode).
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include "support/helper_mode.h"
#include "support/notification_area.h"
#include "support/test_app.h"

namespace {
TestApp theTestApp;
}  // namespace

TestApp& App()
{
    return theTestApp;
}

int main(int argc, char** argv)
{
    ::InitCommonControls();
    // The tests' own sockets (loopback servers) need Windows Sockets before any view starts it.
    WSADATA data;
    ::WSAStartup(MAKEWORD(1, 1), &data);
    if (const std::optional<int> helped = HelperMode::Run(argc, argv))
        return *helped;
    testing::InitGoogleTest(&argc, argv);
    KeepNotificationAreaOpen();
    return RUN_ALL_TESTS();
}

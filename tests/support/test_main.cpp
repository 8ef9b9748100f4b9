// The test program's entry: one application object, as in prodle.exe, then the tests.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

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
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

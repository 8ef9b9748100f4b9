// The About box as the program opens it: the values it takes from the engine, and the two ways in.
#include <gtest/gtest.h>

#include <memory>

#include "app/resource.h"
#include "app/prodle_app.h"
#include "support/import_patch.h"
#include "support/program.h"
#include "support/registry.h"
#include "support/test_app.h"
#include "ui/about_box.h"

namespace {

// The program's tick counter (GetTickCount, patched in), held by the test: it moves only when the test
// moves it, so no delay between the test and the box can change a time text.
DWORD g_tick = 0;

DWORD WINAPI ReadTick()
{
    return g_tick;
}

}  // namespace

class AboutBox : public testing::Test {
protected:
    void SetUp() override
    {
        clock_ = std::make_unique<ImportPatch>(
            std::initializer_list<const char*>{"kernel32.dll", "kernelbase.dll"}, "GetTickCount",
            reinterpret_cast<void*>(&ReadTick));
        ASSERT_GT(clock_->Patched(), 0u);
        StartAtTick(1000);
    }
    void TearDown() override
    {
        App().Stop();
        clock_.reset();
        RemoveIniFile();
    }

    // (Re)starts the program with its tick counter at `launchTick`.
    void StartAtTick(DWORD launchTick)
    {
        App().Stop();
        RemoveBaseKey();
        RemoveIniFile();
        SetSetting("AutoStart", "0");  // no engine start (and no lookups) behind the box
        g_tick = launchTick_ = launchTick;
        ASSERT_TRUE(App().Start());
        form = App().Form();
        ASSERT_NE(form, nullptr);
    }

    // The time text of a box opened `elapsedMs` after the launch.
    std::string TimeTextAfter(DWORD elapsedMs)
    {
        g_tick = launchTick_ + elapsedMs;
        std::string text;
        WithAboutBox([&](HWND box) { text = ItemText(box, IDC_STATIC_TIME_SINCE); });
        return text;
    }

    HWND form = nullptr;

private:
    std::unique_ptr<ImportPatch> clock_;
    DWORD launchTick_ = 0;
};

TEST_F(AboutBox, ShowsTheLocalAddressAsTheEngineKnowsIt)
{
    std::string address;
    EXPECT_EQ(WithAboutBox([&](HWND box) { address = ItemText(box, IDC_STATIC_IP_ADDRESS); }), 1);
    EXPECT_EQ(address, "no address yet");

    // The application shows what it is handed; an IPv6 address whole, on two lines.
    WithAboutBox([] { GetProdleApp()->OnAppAbout("192.0.2.7", ::GetTickCount()); },
                 [&](HWND box) { address = ItemText(box, IDC_STATIC_IP_ADDRESS); });
    EXPECT_EQ(address, "192.0.2.7");
    WithAboutBox(
        [] { GetProdleApp()->OnAppAbout("2001:db8:1234:5678:9abc:def0:1234:5678", ::GetTickCount()); },
        [&](HWND box) {
            address = ItemText(box, IDC_STATIC_IP_ADDRESS);
            SaveScreenshot(box, "about-ipv6");
        });
    EXPECT_EQ(address, "2001:db8:1234:5678:\r\n9abc:def0:1234:5678");
}

TEST_F(AboutBox, TimeSinceLaunchCountsSecondsUpToTwoMinutesThenWholeMinutes)
{
    EXPECT_EQ(TimeTextAfter(0), "0 seconds");
    EXPECT_EQ(TimeTextAfter(119 * 1000 + 999), "119 seconds");
    EXPECT_EQ(TimeTextAfter(120 * 1000), "2 minutes");
    EXPECT_EQ(TimeTextAfter(179 * 1000 + 999), "2 minutes");
    EXPECT_EQ(TimeTextAfter(2 * 3600 * 1000), "120 minutes");
}

TEST_F(AboutBox, TimeSinceLaunchIsRightAcrossATickCounterWrap)
{
    // Launched five minutes before the counter wraps, the box opened seven minutes later.
    StartAtTick(0u - 5u * 60000u);
    EXPECT_EQ(TimeTextAfter(7u * 60000u), "7 minutes");
}

TEST_F(AboutBox, OpensFromTheHelpMenuAndFromTheTrayMenuWhileTheMainWindowStaysHidden)
{
    HWND frame = App().MainWindow();
    ASSERT_FALSE(::IsWindowVisible(frame));
    bool hiddenWhileUp = false;
    const auto checkHidden = [&](HWND) { hiddenWhileUp = !::IsWindowVisible(frame); };

    // The main menu's Help > About goes to the frame, which routes it on; one box, not one per handler.
    EXPECT_EQ(
        WithAboutBox([&] { ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0); }, checkHidden),
        1);
    EXPECT_TRUE(hiddenWhileUp);
    EXPECT_FALSE(::IsWindowVisible(frame));

    // The tray menu's About goes to the view.
    hiddenWhileUp = false;
    EXPECT_EQ(
        WithAboutBox([&] { ::SendMessageA(form, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0); }, checkHidden),
        1);
    EXPECT_TRUE(hiddenWhileUp);
    EXPECT_FALSE(::IsWindowVisible(frame));
    // The main window is usable again once the box has gone.
    EXPECT_TRUE(::IsWindowEnabled(frame));
}

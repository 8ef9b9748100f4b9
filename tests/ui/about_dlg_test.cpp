// The About box as the program opens it: the values it takes from the engine, and the two ways in.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "support/registry.h"
#include "support/test_app.h"
#include "ui/about_box.h"

class AboutBox : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
        SetSetting("AutoStart", "0");  // no engine start (and no lookups) behind the box
        ASSERT_TRUE(App().Start());
        view = App().View();
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        App().Stop();
        RemoveIniFile();
    }

    // The time text of a box opened `elapsedMs` after a launch at `launchTick`.
    std::string TimeTextAfter(DWORD elapsedMs)
    {
        view->m_dwLaunchTick = ::GetTickCount() - elapsedMs;
        std::string text;
        WithAboutBox([&](HWND box) { text = ItemText(box, IDC_STATIC_TIME_SINCE); });
        return text;
    }

    CProdleView* view = nullptr;
};

TEST_F(AboutBox, ShowsTheLocalAddressAsTheEngineKnowsIt)
{
    std::string address;
    EXPECT_EQ(WithAboutBox([&](HWND box) { address = ItemText(box, IDC_STATIC_IP_ADDRESS); }), 1);
    EXPECT_EQ(address, "no address yet");

    view->m_strLocalAddress = "192.0.2.7";
    WithAboutBox([&](HWND box) { address = ItemText(box, IDC_STATIC_IP_ADDRESS); });
    EXPECT_EQ(address, "192.0.2.7");
}

TEST_F(AboutBox, TimeSinceLaunchCountsSecondsUpToTwoMinutesThenWholeMinutes)
{
    // 100 ms of slack past each whole second keeps the box's own delay from crossing a boundary.
    EXPECT_EQ(TimeTextAfter(0), "0 seconds");
    EXPECT_EQ(TimeTextAfter(119 * 1000 + 100), "119 seconds");
    EXPECT_EQ(TimeTextAfter(120 * 1000 + 100), "2 minutes");
    EXPECT_EQ(TimeTextAfter(179 * 1000 + 100), "2 minutes");
    EXPECT_EQ(TimeTextAfter(2 * 3600 * 1000 + 100), "120 minutes");
}

TEST_F(AboutBox, TimeSinceLaunchIsRightAcrossATickCounterWrap)
{
    // Launched five minutes before the counter wrapped: now the launch tick is above the current one.
    const DWORD launch = 0u - 5u * 60000u;
    view->m_dwLaunchTick = launch;
    const DWORD before = ::GetTickCount();
    std::string text;
    WithAboutBox([&](HWND box) { text = ItemText(box, IDC_STATIC_TIME_SINCE); });
    const DWORD after = ::GetTickCount();
    ASSERT_GT(launch, after);
    const auto minutes = [](DWORD now) { return std::to_string((now / 1000u + 300u) / 60u) + " minutes"; };
    EXPECT_TRUE(text == minutes(before) || text == minutes(after)) << text;
}

TEST_F(AboutBox, OpensFromTheHelpMenuAndFromTheTrayMenuWhileTheMainWindowStaysHidden)
{
    HWND frame = App().MainWindow();
    ASSERT_FALSE(::IsWindowVisible(frame));
    bool hiddenWhileUp = false;
    const auto checkHidden = [&](HWND) { hiddenWhileUp = !::IsWindowVisible(frame); };

    // The main menu's Help > About goes to the frame, which routes it on; one box, not one per handler.
    EXPECT_EQ(WithAboutBox([&] { ::SendMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0); }, checkHidden),
              1);
    EXPECT_TRUE(hiddenWhileUp);
    EXPECT_FALSE(::IsWindowVisible(frame));

    // The tray menu's About goes to the view.
    hiddenWhileUp = false;
    EXPECT_EQ(
        WithAboutBox([&] { ::SendMessageA(view->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0); }, checkHidden),
        1);
    EXPECT_TRUE(hiddenWhileUp);
    EXPECT_FALSE(::IsWindowVisible(frame));
    // The main window is usable again once the box has gone.
    EXPECT_TRUE(::IsWindowEnabled(frame));
}

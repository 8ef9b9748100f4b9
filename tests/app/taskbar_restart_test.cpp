// A re-created taskbar gets the program's icon back, with its current picture and tooltip.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "support/notification_area.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

class TaskbarRestart : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        SetSetting("AutoStart", "0");
        SetSetting("ComboName0", "127.0.0.3");
    }
    void TearDown() override { App().Stop(); }
};

TEST_F(TaskbarRestart, TheIconComesBackWithItsCurrentPictureAndTooltip)
{
    ASSERT_TRUE(App().Start());
    CProdleView& view = *App().View();
    view.StopCycle(true);
    ASSERT_TRUE(ShellHasIcon(view.m_hWnd, ID_TRAY_ICON));

    ASSERT_TRUE(ForgetIcon(view.m_hWnd, ID_TRAY_ICON)) << "as a restarted taskbar has";
    ASSERT_FALSE(ShellHasIcon(view.m_hWnd, ID_TRAY_ICON));

    ::SendMessageA(App().MainWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(ShellHasIcon(view.m_hWnd, ID_TRAY_ICON));
    EXPECT_EQ(view.m_trayIcon.GetTip(), "Prodle has stopped");
    EXPECT_EQ(view.m_trayIcon.GetIcon(), App().LoadSmallIcon(IDI_STOPPED));
}

TEST_F(TaskbarRestart, AHiddenIconStaysHidden)
{
    ASSERT_TRUE(App().Start());
    CProdleView& view = *App().View();
    view.m_trayIcon.Hide();
    ::SendMessageA(App().MainWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_FALSE(ShellHasIcon(view.m_hWnd, ID_TRAY_ICON));
    view.m_trayIcon.Show();
    EXPECT_TRUE(ShellHasIcon(view.m_hWnd, ID_TRAY_ICON));
}

}  // namespace

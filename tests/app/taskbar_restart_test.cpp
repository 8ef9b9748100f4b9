// A new notification area ("TaskbarCreated") gets the program's icon with its current picture and
// tooltip after a restarted taskbar forgot it; an add that the shell refuses is tried again.
#include <gtest/gtest.h>

#include <string>

#include "app/resource.h"
#include "form/form_ids.h"
#include "support/form.h"
#include "support/notification_area.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"
#include "tray/tray_notify_icon.h"

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

    static void AnnounceNewTaskbar()
    {
        ::SendMessageA(App().MainWindow(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    }
    // The timer that tries a refused add again.
    static void RetryTimer() { ::SendMessageA(App().Form(), WM_TIMER, TIMER_TRAY_ADD, 0); }
    // A start whose period is refused: the engine stops with the tray's notice.
    static void StopWithTheTraysNotice()
    {
        SetControlText(App().Form(), IDC_EDIT_OFTEN, "0");
        ::SendMessageA(App().Form(), WM_COMMAND, IDC_BUTTON_START, 0);
        PumpUntil([] { return App().GetWaitCursorCount() == 0; });
        ASSERT_EQ(App().boxes.back().text, "Prodle: Time period must be between 1 and 60");
    }

    // The shell's last call about the view's icon was an add of the whole record, with this picture and tip.
    static void ExpectAddedWith(const ShellNotifyRecorder& shell, HWND form, UINT icon,
                                const std::string& tip)
    {
        const auto calls = shell.CallsFor(form);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_ADD));
        const NOTIFYICONDATAA& added = calls.back().record;
        EXPECT_EQ(added.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(added.uID, static_cast<UINT>(ID_TRAY_ICON));
        EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(added.uCallbackMessage, static_cast<UINT>(WM_PRODLE_TRAY_CALLBACK));
        EXPECT_EQ(added.hIcon, App().LoadSmallIcon(icon));
        EXPECT_EQ(added.szTip, tip);
    }
};

TEST_F(TaskbarRestart, TheIconComesBackWithItsCurrentPictureAndTooltip)
{
    ASSERT_TRUE(App().Start());
    const HWND form = App().Form();
    StopWithTheTraysNotice();
    ASSERT_TRUE(ForgetIcon(form, ID_TRAY_ICON)) << "as a restarted taskbar has";

    ShellNotifyRecorder shell;
    AnnounceNewTaskbar();
    ExpectAddedWith(shell, form, IDI_STOPPED, "Prodle has stopped");
    EXPECT_TRUE(ShellHasIcon(form, ID_TRAY_ICON));
}

// Started at a slow log-in, while Explorer is still starting: the refused add is tried again on the
// form's timer (its messages sent here rather than waited for), and the icon comes, as the engine has
// left it meanwhile, with no box.
TEST_F(TaskbarRestart, AnAddRefusedThreeTimesThenAcceptedGivesTheIconAndNoBox)
{
    ShellNotifyRecorder shell;
    shell.refuse = true;
    ASSERT_TRUE(App().Start());
    const HWND form = App().Form();
    StopWithTheTraysNotice();
    EXPECT_EQ(shell.LastTip(form), "Prodle has stopped") << "changes still go to the shell";
    RetryTimer();
    RetryTimer();
    shell.refuse = false;
    RetryTimer();
    ExpectAddedWith(shell, form, IDI_STOPPED, "Prodle has stopped");
    EXPECT_TRUE(ShellHasIcon(form, ID_TRAY_ICON));
    PumpPending();
    ASSERT_EQ(App().boxes.size(), 1u);
    EXPECT_EQ(App().boxes[0].text, "Prodle: Time period must be between 1 and 60");
}

// Refused for two minutes: the box says so once, and the exit deletes what the shell may have added.
TEST_F(TaskbarRestart, AnAddRefusedForGoodIsSaidOnce)
{
    ShellNotifyRecorder shell;
    shell.refuse = true;
    ASSERT_TRUE(App().Start());
    const HWND form = App().Form();
    for (int retry = 0; retry < CTrayNotifyIcon::kAddRetries + 2; ++retry)
        RetryTimer();
    ASSERT_TRUE(PumpUntil([] { return !App().boxes.empty(); }));
    PumpPending();
    ASSERT_EQ(App().boxes.size(), 1u);
    EXPECT_EQ(App().boxes[0].text, "Failed to create tray icon");
    EXPECT_EQ(App().boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONHAND));
    App().Stop();
    EXPECT_EQ(shell.CallsFor(form).back().message, static_cast<DWORD>(NIM_DELETE));
}

}  // namespace

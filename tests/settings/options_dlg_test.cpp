// The Options dialog, driven while it runs: the check boxes show the engine's flags, OK stores all
// four flags and hands them to the engine, Cancel changes nothing.
#include "app/resource.h"
#include "settings/host_list_fixture.h"
#include "support/dialog_script.h"

namespace {

bool IsChecked(HWND dialog, int id)
{
    return ::SendMessageA(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

class Options : public HostListTest {
protected:
    void Run(DialogScript& script)
    {
        script.Arm();
        view->OnOptions();
        EXPECT_TRUE(script.Finished()) << script.Failure();
        EXPECT_EQ(script.Failure(), "");
    }
    void ExpectFlags(BOOL ignore, BOOL autoStart, BOOL randomName, BOOL randomTime) const
    {
        EXPECT_EQ(view->m_bIgnoreFailures, ignore);
        EXPECT_EQ(view->m_bAutoStart, autoStart);
        EXPECT_EQ(view->m_bRandomName, randomName);
        EXPECT_EQ(view->m_bRandomTime, randomTime);
    }
};

TEST_F(Options, OkWithoutChangesStillStoresAllFourFlags)
{
    StartWith(kFive, 0);
    DialogScript script("Options");
    script.Inspect([&](HWND dialog) {
        const std::pair<int, const char*> boxes[] = {{IDC_CHECK_AUTO_START, "Auto-Start"},
                                                     {IDC_CHECK_RANDOM_NAME, "Randomize Domain Name"},
                                                     {IDC_CHECK_RANDOM_TIME, "Randomize Prodle Time"},
                                                     {IDC_CHECK_IGNORE_FAILURES, "Ignore Connection Failures"}};
        for (const auto& [id, text] : boxes) {
            char shown[64] = {};
            ::GetDlgItemTextA(dialog, id, shown, sizeof shown);
            EXPECT_STREQ(shown, text);
            const LONG_PTR style = ::GetWindowLongPtrA(::GetDlgItem(dialog, id), GWL_STYLE);
            EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX) << text;
            EXPECT_FALSE(IsChecked(dialog, id)) << text;
        }
    });
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(Setting("Ignore"), "0");
    EXPECT_EQ(Setting("AutoStart"), "0");
    EXPECT_EQ(Setting("RandomName"), "0");
    EXPECT_EQ(Setting("RandomTime"), "0");
    EXPECT_FALSE(Setting("Debug"));
    ExpectFlags(0, 0, 0, 0);
}

TEST_F(Options, TheBoxesShowTheFlagsAndOkHandsTheChangesToTheEngine)
{
    SetSetting("Ignore", "1");
    SetSetting("RandomTime", "1");
    SetSetting("Debug", "1");
    StartWith(kFive, 0);
    DialogScript script("Options");
    script.Inspect([&](HWND dialog) {
        EXPECT_FALSE(IsChecked(dialog, IDC_CHECK_AUTO_START));
        EXPECT_FALSE(IsChecked(dialog, IDC_CHECK_RANDOM_NAME));
        EXPECT_TRUE(IsChecked(dialog, IDC_CHECK_RANDOM_TIME));
        EXPECT_TRUE(IsChecked(dialog, IDC_CHECK_IGNORE_FAILURES));
    });
    // The user clicks three of the boxes.
    script.Click(IDC_CHECK_AUTO_START);
    script.Click(IDC_CHECK_RANDOM_NAME);
    script.Click(IDC_CHECK_IGNORE_FAILURES);
    script.Click(IDOK);
    Run(script);
    ExpectFlags(0, 1, 1, 1);
    EXPECT_EQ(Setting("Ignore"), "0");
    EXPECT_EQ(Setting("AutoStart"), "1");
    EXPECT_EQ(Setting("RandomName"), "1");
    EXPECT_EQ(Setting("RandomTime"), "1");
    EXPECT_EQ(Setting("Debug"), "1");
    EXPECT_EQ(view->m_bDebug, 1);
    // Nothing was started or stopped: the engine is still waiting for its first start.
    EXPECT_EQ(view->m_staticStatus.GetWindowText(), "PLEASE START ME");
    EXPECT_FALSE(view->m_bCountdownTimer);
}

TEST_F(Options, CancelStoresNothingAndKeepsTheFlags)
{
    SetSetting("RandomName", "1");
    StartWith(kFive, 0);
    DialogScript script("Options");
    for (int id : {IDC_CHECK_AUTO_START, IDC_CHECK_RANDOM_NAME, IDC_CHECK_RANDOM_TIME, IDC_CHECK_IGNORE_FAILURES})
        script.Click(id);
    script.Click(IDCANCEL);
    Run(script);
    ExpectFlags(0, 0, 1, 0);
    EXPECT_FALSE(Setting("Ignore"));
    EXPECT_EQ(Setting("AutoStart"), "0");
    EXPECT_EQ(Setting("RandomName"), "1");
    EXPECT_FALSE(Setting("RandomTime"));
}

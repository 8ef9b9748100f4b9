// The Options dialog, driven while it runs: the check boxes show the engine's flags, OK stores all
// four flags and hands them to the engine, Cancel changes nothing.
#include "app/resource.h"
#include "settings/host_list_fixture.h"
#include "support/dialog_script.h"
#include "support/notification_area.h"
#include "support/pump.h"
#include "support/registry.h"

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
        ::SendMessageA(form, WM_COMMAND, ID_OPTIONS, 0);
        EXPECT_TRUE(script.Finished()) << script.Failure();
        EXPECT_EQ(script.Failure(), "");
    }
    static void ExpectFlags(bool ignore, bool autoStart, bool randomHost, bool randomTime)
    {
        const KeepAliveOptions& options = App().View()->Engine()->Options();
        EXPECT_EQ(options.ignoreFailures, ignore);
        EXPECT_EQ(options.autoStart, autoStart);
        EXPECT_EQ(options.randomHost, randomHost);
        EXPECT_EQ(options.randomTime, randomTime);
    }
};

TEST_F(Options, OkWithoutChangesStillStoresAllFourFlags)
{
    StartWith(kFive, 0);
    DialogScript script("Options");
    script.Inspect([&](HWND dialog) {
        const std::pair<int, const char*> boxes[] = {
            {IDC_CHECK_AUTO_START, "Auto-Start"},
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
    ExpectFlags(false, false, false, false);
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
    ExpectFlags(false, true, true, true);
    EXPECT_EQ(Setting("Ignore"), "0");
    EXPECT_EQ(Setting("AutoStart"), "1");
    EXPECT_EQ(Setting("RandomName"), "1");
    EXPECT_EQ(Setting("RandomTime"), "1");
    EXPECT_EQ(Setting("Debug"), "1");
    EXPECT_TRUE(App().View()->Engine()->Options().debug);
    // Nothing was started or stopped: the engine is still waiting for its first start.
    EXPECT_EQ(ControlText(form, IDC_STATIC_STATUS), "PLEASE START ME");
    EXPECT_EQ(App().View()->Engine()->CurrentPhase(), Phase::Stopped);
}

// A hand-edited value other than 0 and 1: "Ignore" and "RandomName" are on unless 0, the others only
// at 1; the tray shows the stopped picture only for "AutoStart" 0.
TEST_F(Options, FlagsStoredAsNeitherZeroNorOneReadAsTheProgramAlwaysReadThem)
{
    ShellNotifyRecorder shell(false);
    for (const char* name : {"Ignore", "RandomName", "RandomTime", "AutoStart", "Debug"})
        SetSetting(name, "2");
    StartWith(kFive, 0);
    ExpectFlags(true, false, true, false);
    EXPECT_FALSE(App().View()->Engine()->Options().debug);
    EXPECT_EQ(shell.LastIcon(form), AfxGetApp()->LoadSmallIcon(IDI_RUNNING));
}

TEST_F(Options, CancelStoresNothingAndKeepsTheFlags)
{
    SetSetting("RandomName", "1");
    StartWith(kFive, 0);
    DialogScript script("Options");
    for (int id :
         {IDC_CHECK_AUTO_START, IDC_CHECK_RANDOM_NAME, IDC_CHECK_RANDOM_TIME, IDC_CHECK_IGNORE_FAILURES})
        script.Click(id);
    script.Click(IDCANCEL);
    Run(script);
    ExpectFlags(false, false, true, false);
    EXPECT_FALSE(Setting("Ignore"));
    EXPECT_EQ(Setting("AutoStart"), "0");
    EXPECT_EQ(Setting("RandomName"), "1");
    EXPECT_FALSE(Setting("RandomTime"));
}

// Settings the registry refuses: said once a run in a box (which setting, and why), in the log for each
// setting, and the program goes on with what the user confirmed.
TEST_F(Options, SettingsThatCannotBeStoredAreSaidOnceARun)
{
    StartWith(kFive, 0);
    RefusedRegistry refused(true);
    ASSERT_TRUE(refused.Active());
    for (int round = 0; round < 2; ++round) {
        DialogScript script("Options");
        script.Click(IDC_CHECK_RANDOM_TIME).Click(IDOK);
        Run(script);
        PumpPending();
    }
    ASSERT_EQ(App().boxes.size(), 1u);
    EXPECT_EQ(App().boxes[0].text, "Prodle could not store the setting \"Ignore\" (Access denied).\n\n"
                                   "It goes on with what you set, but the next start will not know it.");
    EXPECT_FALSE(App().View()->Engine()->Options().randomTime) << "clicked twice";
    EXPECT_FALSE(Setting("RandomTime"));
}

// A machine-wide key that refuses this user at every start (a limited user on XP, a terminal server):
// the settings kept for this user alone are told once per user, not once a run, and again when Windows
// gives another reason. A user who does not see the form is told beside the tray icon, not by a box.
TEST_F(Options, SettingsKeptForThisUserAloneAreToldOncePerUserAndAgainForAnotherReason)
{
    ShellNotifyRecorder shell;
    const auto runConfirmingOptions = [&](LONG refusal, bool formShown) {
        StartWith(kFive, 0);
        if (formShown)
            ::SendMessageA(form, WM_COMMAND, ID_TRAY_RESTORE, 0);
        RefusedRegistry refused(false, refusal);
        DialogScript script("Options");
        script.Click(IDOK);
        Run(script);
        PumpPending();
        std::vector<std::string> balloons;
        for (const ShellNotifyRecorder::Call& call : shell.CallsFor(form))
            if (call.record.uFlags & NIF_INFO)
                balloons.push_back(std::string(call.record.szInfoTitle) + ": " + call.record.szInfo);
        App().Stop();
        return balloons;
    };
    EXPECT_EQ(
        runConfirmingOptions(ERROR_ACCESS_DENIED, false),
        std::vector<std::string>{"Prodle keeps its settings for you alone: They could not be stored for "
                                 "all users of this computer: the setting \"Ignore\" (Access denied) "
                                 "was refused. Prodle reads them from your own key at its next start."});
    EXPECT_TRUE(runConfirmingOptions(ERROR_ACCESS_DENIED, false).empty());
    EXPECT_TRUE(App().boxes.empty());
    EXPECT_TRUE(runConfirmingOptions(ERROR_WRITE_PROTECT, true).empty());
    ASSERT_EQ(App().boxes.size(), 1u);
    const std::string head =
        "Prodle could not store its settings for all users of this computer: the setting "
        "\"Ignore\" (";
    EXPECT_EQ(App().boxes[0].text.substr(0, head.size()), head);
    EXPECT_EQ(App().boxes[0].text.find("Access denied"), std::string::npos) << "the new reason";
}

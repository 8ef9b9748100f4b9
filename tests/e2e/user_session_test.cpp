// The whole program used as a person would: the real prodle.exe, driven only through its windows
// (buttons, the minutes and host boxes, menus, message boxes and the tray icon's mouse callbacks).
// Screenshots of the form and of each dialog are left in the artefact folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/main_frame.h"
#include "app/resource.h"
#include "app/single_instance.h"
#include "form/form_ids.h"
#include "framework/frame_wnd.h"
#include "support/dialog_script.h"
#include "support/form.h"
#include "support/listener.h"
#include "support/notification_area.h"
#include "support/program.h"
#include "support/pump.h"
#include "support/registry.h"

namespace {

constexpr DWORD kWait = 15000;

void TrayCallback(HWND form, UINT mouseMessage)
{
    ::SendMessageA(form, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, mouseMessage);
}

// Waits for a message box of the program, returns its text and answers OK.
std::string AnswerBox(ProdleProcess& prodle, const char* screenshot = nullptr)
{
    HWND box = prodle.WaitForDialog("Prodle", kWait);
    if (!box)
        return "(no message box)";
    const std::string text = MessageBoxText(box);
    if (screenshot)
        SaveScreenshot(box, screenshot);
    PressButton(box, IDOK);
    struct Gone {
        HWND box;
        static bool Check(void* self) { return !::IsWindow(static_cast<Gone*>(self)->box); }
    } gone{box};
    WaitFor(Gone::Check, &gone, kWait);
    return text;
}

bool StatusIs(HWND form, const std::string& prefix, DWORD timeoutMs = kWait)
{
    struct Context {
        HWND form;
        std::string prefix;
        static bool Check(void* self)
        {
            auto* c = static_cast<Context*>(self);
            return ControlText(c->form, IDC_STATIC_STATUS).rfind(c->prefix, 0) == 0;
        }
    } context{form, prefix};
    return WaitFor(Context::Check, &context, timeoutMs);
}

bool SettingIs(const char* name, const std::string& expected, DWORD timeoutMs = kWait)
{
    struct Context {
        const char* name;
        std::string expected;
        static bool Check(void* self)
        {
            auto* c = static_cast<Context*>(self);
            return Setting(c->name).value_or("(missing)") == c->expected;
        }
    } context{name, expected};
    return WaitFor(Context::Check, &context, timeoutMs);
}

// A box of a program whose main window is hidden (or that has none) is found without looking for it:
// shown, in front, and with a button in the taskbar (no owner, or one of its own). Under Wine only the
// last can fail: Wine 8 leaves out MB_TOPMOST, and without a window manager it gives every new window
// the foreground.
void ExpectInFrontWithATaskbarButton(HWND box)
{
    EXPECT_TRUE(::IsWindowVisible(box));
    const LONG_PTR exStyle = ::GetWindowLongPtrA(box, GWL_EXSTYLE);
    EXPECT_TRUE((exStyle & WS_EX_TOPMOST) || ::GetForegroundWindow() == box) << "behind other windows";
    EXPECT_TRUE(!::GetWindow(box, GW_OWNER) || (exStyle & WS_EX_APPWINDOW)) << "no taskbar button";
}

class UserSession : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
    }
    void TearDown() override { RemoveIniFile(); }
};

// What the first start's auto-start reports of the first default host: it depends on what the name
// resolves to here. The tests' resolver (scripts/isolated.sh) sends it to a loopback address where
// nothing listens; without a name server it is not found. Anywhere else the prodle would leave this
// machine: empty, and the test does not start the program.
std::string FirstHostsFailure(std::string* address)
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0)
        return std::string();
    const hostent* entry = ::gethostbyname("www.example.com");
    std::string failure;
    if (!entry) {
        failure = "Prodle: Name www.example.com Not Found\n\nProdle launched at time ";
    } else {
        *address = ::inet_ntoa(*reinterpret_cast<const in_addr*>(entry->h_addr_list[0]));
        if (address->rfind("127.", 0) == 0)
            failure = "Prodle: Cannot connect to www.example.com on port 80\n\nProdle launched at time ";
    }
    ::WSACleanup();
    return failure;
}

TEST_F(UserSession, FirstRunRestoresTheDefaultsAutoStartsAndReportsTheUnreachableHost)
{
    std::string address;
    const std::string expected = FirstHostsFailure(&address);
    ASSERT_NE(expected, "") << "www.example.com is " << address << " here, not a loopback address: run the "
                            << "tests under scripts/isolated.sh";
    ProdleProcess prodle;
    ASSERT_TRUE(prodle.Start());
    // Started by the installer, not by the user: the box must be found without looking for it. (Its
    // text, and that the auto-start waits for its answer, the form's test checks.)
    HWND box = prodle.WaitForDialog("Prodle", kWait);
    ASSERT_NE(box, nullptr);
    ExpectInFrontWithATaskbarButton(box);
    AnswerBox(prodle, "first-run-restoring-box");
    HWND main = prodle.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(::IsWindowVisible(main)) << "the program starts in the notification area";

    // The auto-start: the first default host is checked and prodled; nothing answers there.
    const std::string failure = AnswerBox(prodle, "connect-failure-box");
    EXPECT_EQ(failure.rfind(expected, 0), 0u) << failure;
    HWND form = prodle.Form();
    EXPECT_TRUE(StatusIs(form, "NOT RUNNING"));
    EXPECT_FALSE(Setting("ComboName0")) << "nothing is stored before a connection succeeds";
}

TEST_F(UserSession, FirstRunImportsTheIniFileAndExitRemovesTheProgram)
{
    WriteIniFile("[Settings]\nOften=7\nComboName0=127.0.0.3\nAutoStart=0\n");
    ProdleProcess prodle;
    ASSERT_TRUE(prodle.Start());
    HWND form = prodle.Form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(StatusIs(form, "PLEASE START ME"));
    EXPECT_EQ(ControlText(form, IDC_EDIT_OFTEN), "7");
    EXPECT_EQ(Setting("Often").value_or(""), "7");

    TrayCallback(form, WM_LBUTTONDBLCLK);  // restores the window
    EXPECT_TRUE(::IsWindowVisible(prodle.MainWindow()));
    // The keyboard is on the form's first control, ready to type the minutes.
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(form, nullptr), &thread);
    EXPECT_EQ(thread.hwndFocus, ::GetDlgItem(form, IDC_EDIT_OFTEN));
    PressButton(form, IDC_BUTTON_CLOSE_WINDOW);
    // The hidden frame gives up the front once the display has taken it away (under Wine, when its
    // window system's notices are through): a menu opened before would lose the front to them.
    HWND frame = prodle.MainWindow();
    ASSERT_TRUE(WaitFor([](void* hidden) { return ::GetForegroundWindow() != static_cast<HWND>(hidden); },
                        frame, kWait));

    // Exit from the tray icon's right-click menu: the icon goes with the program. The menu opens where
    // the pointer is: with the pointer on the icon's lower right corner, the picture shows both.
    ASSERT_TRUE(ShellHasIcon(form, ID_TRAY_ICON));
    RECT area = {}, icon = {};
    bool pointerOnIcon = FindNewestTrayIcon(&area, &icon);
    if (pointerOnIcon) {
        // Wine answers GetCursorPos from the X server once the last move is 100 ms old, and the X server
        // refuses a move while another program holds the pointer: the pointer is on the icon once it has
        // stayed there longer, and until then it is moved there again (from beside, or it is no move).
        struct PointerAt {
            POINT target;
            DWORD since;
            static bool Check(void* self)
            {
                auto* pointer = static_cast<PointerAt*>(self);
                POINT now;
                if (::GetCursorPos(&now) && now.x == pointer->target.x && now.y == pointer->target.y)
                    return ::GetTickCount() - pointer->since > 150;
                MoveMouseTo({pointer->target.x - 1, pointer->target.y});
                MoveMouseTo(pointer->target);
                pointer->since = ::GetTickCount();
                return false;
            }
        } pointer{{icon.right - 2, icon.bottom - 2}, 0};
        pointerOnIcon = WaitFor(PointerAt::Check, &pointer, kWait);
    }
    ::PostMessageA(form, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, WM_RBUTTONUP);
    HWND menu = prodle.WaitForWindowOfClass("#32768");
    ASSERT_NE(menu, nullptr) << "the tray menu opens";
    SaveScreenshot(menu, "tray-menu");
    if (!pointerOnIcon) {
        std::printf("No picture of the tray icon and its menu: the pointer could not be put on the icon\n");
    } else {
        RECT shown;
        ::GetWindowRect(menu, &shown);
        // A margin of the notification area around the icon; above it is the area's caption.
        ::SetRect(&icon, icon.left - 4, icon.top, icon.right + 4, icon.bottom + 4);
        ::UnionRect(&shown, &shown, &icon);
        SaveScreenArea(shown, "tray-icon-and-menu");
    }
    ::PostMessageA(form, WM_CHAR, 'x', 0);  // E&xit
    EXPECT_EQ(prodle.WaitForExit(kWait), 0);
    EXPECT_FALSE(ShellHasIcon(form, ID_TRAY_ICON));
}

TEST_F(UserSession, StartOrApplyTakesTheTypedPeriodAndHostAndTheRestartKeepsThem)
{
    LoopbackListener listener("127.0.0.7");
    ASSERT_TRUE(listener.IsListening());
    SetSetting("AutoStart", "0");
    SetSetting("ComboName0", "127.0.0.3");
    {
        ProdleProcess prodle;
        ASSERT_TRUE(prodle.Start());
        HWND form = prodle.Form();
        ASSERT_NE(form, nullptr);
        TrayCallback(form, WM_LBUTTONDBLCLK);
        ::SendMessageA(::GetDlgItem(form, IDC_EDIT_OFTEN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2.5"));
        SetControlText(form, IDC_COMBO_HOSTS, "127.0.0.7");
        SaveScreenshot(prodle.MainWindow(), "form");
        PressButton(form, IDC_BUTTON_START);

        EXPECT_TRUE(StatusIs(form, "Prodle was sent"));
        EXPECT_TRUE(SettingIs("Often", "2.5"));
        EXPECT_TRUE(SettingIs("ComboName1", "127.0.0.7"));
        EXPECT_TRUE(SettingIs("ComboNameSel", "1"));
        // The period of 2.5 minutes counts down from 2:30; a busy machine may have taken a few seconds.
        const std::string countdown = ControlText(form, IDC_STATIC_COUNTDOWN);
        EXPECT_TRUE(countdown == " 2:30" || countdown.rfind(" 2:2", 0) == 0) << countdown;
        SaveScreenshot(prodle.MainWindow(), "form-running");

        PressButton(form, IDC_BUTTON_CLOSE_WINDOW);
        struct Hidden {
            HWND main;
            static bool Check(void* self) { return !::IsWindowVisible(static_cast<Hidden*>(self)->main); }
        } hidden{prodle.MainWindow()};
        EXPECT_TRUE(WaitFor(Hidden::Check, &hidden, kWait));

        ::SendMessageA(form, WM_COMMAND, ID_TRAY_EXIT, 0);  // the tray menu's Exit
        EXPECT_EQ(prodle.WaitForExit(kWait), 0);
    }
    ProdleProcess again;
    ASSERT_TRUE(again.Start());
    HWND form = again.Form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(ControlText(form, IDC_EDIT_OFTEN), "2.5");
    EXPECT_EQ(WindowText(::GetDlgItem(form, IDC_COMBO_HOSTS)), "127.0.0.7");
}

// A hidden window of Prodle's frame class in the test's process, newer than the real one, as another
// user's Prodle on the same desktop ("Run as") has: it notes every registered message it is sent.
class ForeignFrame : public CWnd {
public:
    ForeignFrame()
    {
        ::CreateWindowExA(0, CFrameWnd::RegisterFrameClass("ProdleFrame", 0), "Prodle", WS_OVERLAPPED, 0, 0,
                          100, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), this);
    }
    ~ForeignFrame() override { DestroyWindow(); }

    int registeredMessages = 0;

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        registeredMessages += message >= 0xC000 && message <= 0xFFFF;
        return CWnd::OnWndMsg(message, wParam, lParam, result);
    }
};

// Started again (a double-click on prodle.exe while the log-in entry's copy runs): the running
// program's form comes up in front, and the new process ends without an icon of its own. The request
// goes to the window of the process that holds Prodle's name, not to any window of its class. A
// second start from a log-in entry ("/login": a shortcut in the Startup folder beside the Run value)
// ends without showing anything.
TEST_F(UserSession, ASecondStartShowsTheRunningFormAndEnds)
{
    SetSetting("AutoStart", "0");
    SetSetting("ComboName0", "127.0.0.3");
    ProdleProcess prodle;
    ASSERT_TRUE(prodle.Start("/login"));
    HWND form = prodle.Form();
    ASSERT_NE(form, nullptr);
    HWND main = prodle.MainWindow();
    ASSERT_FALSE(::IsWindowVisible(main));
    const int icons = TrayIconCount();
    ForeignFrame foreign;
    ASSERT_NE(foreign.m_hWnd, nullptr);

    ProdleProcess atLogin;
    ASSERT_TRUE(atLogin.Start("/login"));
    EXPECT_EQ(atLogin.WaitForExit(kWait), 0);
    EXPECT_FALSE(::IsWindowVisible(main));

    ProdleProcess second;
    ASSERT_TRUE(second.Start());
    PumpUntil([&] { return !second.IsRunning(); }, kWait);
    EXPECT_EQ(second.WaitForExit(0), 0);
    EXPECT_EQ(foreign.registeredMessages, 0);
    EXPECT_TRUE(::IsWindowVisible(main));
    HWND front = ::GetForegroundWindow();
    EXPECT_EQ(front, main) << "in front instead: \"" << WindowText(front) << "\"";
    EXPECT_EQ(TrayIconCount(), icons);
    EXPECT_TRUE(ShellHasIcon(form, ID_TRAY_ICON));
    EXPECT_TRUE(prodle.IsRunning());
}

// Two starts close together (the installer's start and a double-click, or the log-in entry and one):
// whatever moment of the first one's start-up the second comes at, even while the first one's box is
// up, the second ends at once and the form is shown once the first one is up.
TEST_F(UserSession, ASecondStartDuringTheFirstOnesStartUpShowsTheFormOnceItIsUp)
{
    const struct {
        const char* what;
        DWORD delayMs;
        bool emptyRegistry;  // the first start's box is up
    } cases[] = {{"together", 0, false}, {"0.3 s apart", 300, false}, {"during the first box", 0, true}};
    for (const auto& c : cases) {
        RemoveBaseKey();
        if (!c.emptyRegistry) {
            SetSetting("AutoStart", "0");
            SetSetting("ComboName0", "127.0.0.3");
        }
        ProdleProcess one, other;
        ASSERT_TRUE(one.Start());
        HWND box = c.emptyRegistry ? one.WaitForDialog("Prodle", kWait) : nullptr;
        ::Sleep(c.delayMs);
        ASSERT_TRUE(other.Start());
        // Started together, either may take Prodle's name first: the other one is the later start.
        struct OneEnded {
            const ProdleProcess& one;
            const ProdleProcess& other;
            static bool Check(void* self)
            {
                auto* s = static_cast<OneEnded*>(self);
                return !s->one.IsRunning() || !s->other.IsRunning();
            }
        } oneEnded{one, other};
        EXPECT_TRUE(WaitFor(OneEnded::Check, &oneEnded, kWait)) << c.what;
        ProdleProcess& first = one.IsRunning() ? one : other;
        ProdleProcess& second = one.IsRunning() ? other : one;
        EXPECT_EQ(second.WaitForExit(0), 0) << c.what;
        if (box)
            PressButton(box, IDOK);
        struct Shown {
            const ProdleProcess& prodle;
            static bool Check(void* self)
            {
                HWND main = static_cast<Shown*>(self)->prodle.MainWindow(0);
                return main && ::IsWindowVisible(main);
            }
        } shown{first};
        ASSERT_NE(first.Form(), nullptr) << c.what;
        EXPECT_TRUE(WaitFor(Shown::Check, &shown, kWait)) << c.what;
        // Nothing hides it afterwards: its start-up was over (a later start's request waits for that),
        // and its thread has handled a message sent after the form came up.
        DWORD_PTR answer = 0;
        EXPECT_NE(::SendMessageTimeoutA(first.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, kWait, &answer), 0)
            << c.what;
        EXPECT_TRUE(::IsWindowVisible(first.MainWindow())) << c.what;
    }
}

// Exit while the first start's box is up, from the uninstaller ("prodle.exe /exit", which waits for
// the program to end) or the tray menu: the box opens once the program is up, so the program ends at
// once, cleanly, and the uninstaller's wait ends with it.
TEST_F(UserSession, AnExitWhileTheFirstStartsBoxIsUpEndsTheProgram)
{
    for (const bool fromTheUninstaller : {true, false}) {
        RemoveBaseKey();
        ProdleProcess prodle;
        ASSERT_TRUE(prodle.Start());
        HWND box = prodle.WaitForDialog("Prodle", kWait);
        ASSERT_NE(box, nullptr);
        ProdleProcess exit;
        if (fromTheUninstaller) {
            ASSERT_TRUE(exit.Start("/exit"));
        } else {
            HWND form = ::FindWindowExA(prodle.MainWindow(), nullptr, "#32770", nullptr);
            ::PostMessageA(form, WM_COMMAND, ID_TRAY_EXIT, 0);
        }
        EXPECT_EQ(prodle.WaitForExit(kWait), 0) << fromTheUninstaller;
        if (fromTheUninstaller) {
            EXPECT_EQ(exit.WaitForExit(kWait), 0);
        }
    }
}

// A Prodle that no longer answers (its thread stopped): a second start says so in a box of its own
// and ends, without a window or an icon, and with an exit code that tells it failed.
TEST_F(UserSession, ASecondStartSaysWhenTheRunningOneDoesNotAnswer)
{
    SetSetting("AutoStart", "0");
    SetSetting("ComboName0", "127.0.0.3");
    ProdleProcess prodle;
    ASSERT_TRUE(prodle.Start());
    ASSERT_NE(prodle.Form(), nullptr);
    // Once it is ready: one that is still starting is waited for.
    ASSERT_EQ(CSingleInstance("Prodle").Send(CSingleInstance::kShowForm, CMainFrame::kClassName),
              CSingleInstance::Outcome::Done);
    ASSERT_NE(::SuspendThread(prodle.MainThread()), static_cast<DWORD>(-1));
    ProdleProcess second;
    ASSERT_TRUE(second.Start());
    HWND box = second.WaitForDialog("Prodle", kWait);
    // In front as it comes up. Looked at before the running one goes on: it then does what the later
    // start asked and brings its form to the front, which a busy machine may let happen before a look.
    if (box)
        ExpectInFrontWithATaskbarButton(box);
    const DWORD resumed = ::ResumeThread(prodle.MainThread());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(resumed, 1u);
    EXPECT_EQ(MessageBoxText(box),
              "Prodle is already running but does not answer. Wait a moment and start it "
              "again, or end prodle.exe in Task Manager.");
    PressButton(box, IDOK);
    EXPECT_EQ(second.WaitForExit(kWait), 1);
    EXPECT_TRUE(prodle.IsRunning());
}

TEST_F(UserSession, EditNamesOptionsAndAboutThroughTheMenusAndTheTray)
{
    SetSetting("AutoStart", "0");
    SetSetting("ComboName0", "127.0.0.3");
    SetSetting("ComboName1", "127.0.0.4");
    ProdleProcess prodle;
    ASSERT_TRUE(prodle.Start());
    HWND form = prodle.Form();
    ASSERT_NE(form, nullptr);

    // About from the tray menu: the main window stays hidden.
    ::PostMessageA(form, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = prodle.WaitForDialog("About Prodle");
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(::IsWindowVisible(prodle.MainWindow()));
    EXPECT_EQ(ControlText(about, IDC_STATIC_IP_ADDRESS), "no address yet");
    SaveScreenshot(about, "about");
    PressButton(about, IDOK);

    TrayCallback(form, WM_LBUTTONDBLCLK);
    HWND main = prodle.MainWindow();
    ::PostMessageA(main, WM_COMMAND, ID_EDIT_NAMES, 0);
    HWND names = prodle.WaitForDialog("Edit Names");
    ASSERT_NE(names, nullptr);
    SaveScreenshot(names, "edit-names");
    PressButton(names, IDCANCEL);

    ::PostMessageA(main, WM_COMMAND, ID_OPTIONS, 0);
    HWND options = prodle.WaitForDialog("Options");
    ASSERT_NE(options, nullptr);
    SaveScreenshot(options, "options");
    ::SendMessageA(::GetDlgItem(options, IDC_CHECK_RANDOM_NAME), BM_SETCHECK, BST_CHECKED, 0);
    PressButton(options, IDOK);
    EXPECT_TRUE(SettingIs("RandomName", "1"));
    EXPECT_TRUE(SettingIs("AutoStart", "0"));

    PressButton(form, IDC_BUTTON_EXIT);
    EXPECT_EQ(prodle.WaitForExit(kWait), 0);
}

}  // namespace

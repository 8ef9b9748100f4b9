// Start-up and shut-down of the whole program: store, INI import, hidden frame fitted and locked, tray
// icon, Windows Sockets.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <vector>

#include "app/main_frame.h"
#include "app/resource.h"
#include "app/single_instance.h"
#include "form/form_ids.h"
#include "support/dialog_script.h"
#include "support/import_patch.h"
#include "support/notification_area.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

// Whether Windows Sockets is started in this process: a socket can be made, or fails as not started.
bool SocketsStarted()
{
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return ::WSAGetLastError() != WSANOTINITIALISED;
    ::closesocket(s);
    return true;
}

// The functions of later Windows that the program looks up at run time: those that the Windows
// version of a test offers, and the calls they get ("name arguments; ", the frame and the messages by
// name).
std::vector<std::string> g_offered;
std::string g_calls;
FARPROC(WINAPI* g_realGetProcAddress)(HMODULE, LPCSTR) = nullptr;

std::string Name(UINT message)
{
    return message == ::RegisterWindowMessageA("TaskbarCreated") ? "TaskbarCreated"
           : message == CSingleInstance::Message()               ? "request"
                                                                 : std::to_string(message);
}

BOOL WINAPI WindowFilter(HWND window, UINT message, DWORD action, void*)
{
    g_calls += std::string("Ex ") + (window == App().MainWindow() ? "frame " : "? ") + Name(message) + " " +
               std::to_string(action) + "; ";
    return TRUE;
}

BOOL WINAPI ProcessFilter(UINT message, DWORD action)
{
    g_calls += "Filter " + Name(message) + " " + std::to_string(action) + "; ";
    return TRUE;
}

HRESULT WINAPI RegisterRestart(const wchar_t* commandLine, DWORD flags)
{
    g_calls += "Restart " + std::string(commandLine, commandLine + ::lstrlenW(commandLine)) + " " +
               std::to_string(flags) + "; ";
    return S_OK;
}

FARPROC WINAPI LookUpInLaterWindows(HMODULE module, LPCSTR name)
{
    const std::pair<const char*, FARPROC> standIns[] = {
        {"ChangeWindowMessageFilterEx", reinterpret_cast<FARPROC>(&WindowFilter)},
        {"ChangeWindowMessageFilter", reinterpret_cast<FARPROC>(&ProcessFilter)},
        {"RegisterApplicationRestart", reinterpret_cast<FARPROC>(&RegisterRestart)},
    };
    for (const auto& [function, standIn] : standIns)
        if (!IS_INTRESOURCE(name) && ::lstrcmpA(name, function) == 0)
            return std::count(g_offered.begin(), g_offered.end(), function) ? standIn : nullptr;
    return g_realGetProcAddress(module, name);
}

int WINAPI RefuseStartup(WORD, WSADATA*)
{
    return WSASYSNOTREADY;
}

// The width of an icon's image in pixels.
int IconWidth(HICON icon)
{
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info))
        return 0;
    BITMAP mask = {};
    ::GetObjectA(info.hbmMask, sizeof mask, &mask);
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

class AppStartup : public testing::Test {
protected:
    void SetUp() override
    {
        KeepNotificationAreaOpen();
        RemoveBaseKey();
        RemoveIniFile();
        App().pausedMs = 0;
    }
    void TearDown() override
    {
        App().Stop();
        RemoveIniFile();
        RemoveBaseKey();
    }

    // Starts with the engine left stopped, so that no lookup begins while a test pumps messages.
    void StartStopped()
    {
        SetSetting("AutoStart", "0");
        SetSetting("ComboName0", "localhost");
        ASSERT_TRUE(App().Start());
        ASSERT_NE(App().View(), nullptr);
    }

    static std::string MinutesText()
    {
        char text[64] = {};
        ::GetDlgItemTextA(App().Form(), IDC_EDIT_OFTEN, text, sizeof text);
        return text;
    }
};

TEST_F(AppStartup, FirstStartImportsTheIniFileAndALaterStartDoesNot)
{
    WriteIniFile("[Settings]\r\nOften=7\r\nAutoStart=0\r\nComboName0=localhost\r\n");
    ASSERT_TRUE(App().Start());
    EXPECT_TRUE(KeyExists(kBaseKey));
    EXPECT_EQ(MinutesText(), "7");
    App().Stop();

    WriteIniFile("[Settings]\r\nOften=9\r\nAutoStart=0\r\n");
    ASSERT_TRUE(App().Start());
    EXPECT_EQ(MinutesText(), "7");
    EXPECT_EQ(Setting("Often"), "7");
    PumpPending();  // a box of the start-up would be queued by now
    EXPECT_TRUE(App().boxes.empty());
}

TEST_F(AppStartup, MainWindowStaysHiddenWithAndWithoutAutoStart)
{
    SetSetting("ComboName0", "localhost");
    const auto trayIcon = [](const ShellNotifyRecorder& shell) { return shell.LastIcon(App().Form()); };
    {
        ShellNotifyRecorder shell;
        ASSERT_TRUE(App().Start());  // AutoStart defaults to on
        ASSERT_NE(App().Form(), nullptr);
        EXPECT_FALSE(::IsWindowVisible(App().MainWindow()));
        EXPECT_TRUE(ShellHasIcon(App().Form(), ID_TRAY_ICON));
        EXPECT_EQ(trayIcon(shell), App().LoadSmallIcon(IDI_RUNNING));
        EXPECT_EQ(IconWidth(trayIcon(shell)), ::GetSystemMetrics(SM_CXSMICON)) << "drawn, not shrunk";
        App().Stop();
    }
    ShellNotifyRecorder shell;
    StartStopped();
    const HWND form = App().Form();
    EXPECT_FALSE(::IsWindowVisible(App().MainWindow()));
    EXPECT_TRUE(ShellHasIcon(form, ID_TRAY_ICON));
    EXPECT_EQ(trayIcon(shell), App().LoadSmallIcon(IDI_STOPPED));
    PumpPending();
    EXPECT_TRUE(App().boxes.empty());

    // A double-click on the tray icon restores the window before the callback returns.
    EXPECT_EQ(::SendMessageA(form, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(::IsWindowVisible(App().MainWindow()));
    // "Close Window" hides it again.
    ::SendMessageA(form, WM_COMMAND, IDC_BUTTON_CLOSE_WINDOW, 0);
    EXPECT_FALSE(::IsWindowVisible(App().MainWindow()));
}

TEST_F(AppStartup, FrameIsFittedToTheFormAndCannotBeResized)
{
    StartStopped();
    const HWND frame = App().MainWindow();
    const HWND form = App().Form();
    const RECT start = WindowRect(::GetDlgItem(form, IDC_BUTTON_START));
    const RECT close = WindowRect(::GetDlgItem(form, IDC_BUTTON_CLOSE_WINDOW));
    const RECT fitted = WindowRect(frame);
    const int width = fitted.right - fitted.left;
    const int height = fitted.bottom - fitted.top;
    const int startHeight = start.bottom - start.top;
    const int closeHeight = close.bottom - close.top;
    // Fitting keeps the provisional position: centred for a quarter of the screen's width and 30% of its height.
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(fitted.left, (screenWidth - static_cast<int>(screenWidth * 0.25f)) / 2);
    EXPECT_EQ(fitted.top, (screenHeight - static_cast<int>(screenHeight * 0.3f)) / 2);
    EXPECT_EQ(width, start.right - start.left + 2 * startHeight);
    EXPECT_EQ(fitted.bottom, close.bottom + closeHeight + closeHeight / 2 + 10);

    MINMAXINFO info = {};
    info.ptMaxTrackSize = {5000, 5000};
    ::SendMessageA(frame, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, width);
    EXPECT_EQ(info.ptMinTrackSize.y, height);
    EXPECT_EQ(info.ptMaxTrackSize.x, width);
    EXPECT_EQ(info.ptMaxTrackSize.y, height);

    // No sizing border, system menu or boxes; the edges are plain border, and a move keeps the size.
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(frame, GWL_STYLE));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    char title[32] = {};
    ::GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ(title, "Prodle");
    // The form sits in the frame with a view's sunken edge, not a plain border.
    const LONG_PTR viewStyle = ::GetWindowLongPtrA(form, GWL_STYLE);
    const LONG_PTR viewExStyle = ::GetWindowLongPtrA(form, GWL_EXSTYLE);
    EXPECT_EQ(viewStyle & WS_BORDER, 0);
    EXPECT_EQ(viewExStyle & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    const LRESULT corner =
        ::SendMessageA(frame, WM_NCHITTEST, 0, MAKELPARAM(fitted.right - 1, fitted.bottom - 1));
    EXPECT_NE(corner, HTBOTTOMRIGHT);
    ::MoveWindow(frame, fitted.left + 10, fitted.top + 10, width + 100, height + 50, TRUE);
    const RECT moved = WindowRect(frame);
    EXPECT_EQ(moved.left, fitted.left + 10);
    EXPECT_EQ(moved.right - moved.left, width);
    EXPECT_EQ(moved.bottom - moved.top, height);
}

HWND g_menuKeyTarget = nullptr;

// Chooses "E&xit" in the pop-up menu that is up by now.
void CALLBACK ChooseExit(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    ::PostMessageA(g_menuKeyTarget, WM_CHAR, 'x', 0);
}

TEST_F(AppStartup, ExitFromTheTrayMenuRemovesTheIconAndTheStore)
{
    StartStopped();
    const HWND view = App().Form();
    ASSERT_TRUE(ShellHasIcon(view, ID_TRAY_ICON));
    g_menuKeyTarget = view;
    ::SetTimer(nullptr, 0, 50, ChooseExit);
    EXPECT_EQ(::SendMessageA(view, WM_PRODLE_TRAY_CALLBACK, ID_TRAY_ICON, WM_RBUTTONUP), 1);
    EXPECT_TRUE(PumpUntil([] { return App().MainWindow() == nullptr; }, 2000));
    // The icon's owner is the view, a child window: the shell keeps icons of destroyed child windows
    // until they are deleted, so only the view's own delete takes this one away.
    EXPECT_FALSE(ShellHasIcon(view, ID_TRAY_ICON));
    App().Stop();
    EXPECT_EQ(App().m_pProfileStore, nullptr);
}

// Windows ends the session, or closes the program for an installer (the restart manager's
// ENDSESSION_CLOSEAPP). Asked, the program agrees and runs on, for the end may still be cancelled;
// told, it ends as Exit does before the message returns, since the process may be ended right after.
TEST_F(AppStartup, TheSessionsEndClosesTheProgramAsExitDoes)
{
    const bool socketsBefore = SocketsStarted();
    for (const LPARAM reason : {LPARAM{0}, LPARAM{ENDSESSION_CLOSEAPP}}) {
        StartStopped();
        const HWND frame = App().MainWindow();
        const HWND form = App().Form();
        EXPECT_EQ(::SendMessageA(frame, WM_QUERYENDSESSION, 0, reason), TRUE) << reason;
        ::SendMessageA(frame, WM_ENDSESSION, FALSE, reason);  // another program cancelled the end
        EXPECT_TRUE(ShellHasIcon(form, ID_TRAY_ICON)) << reason;
        ::SendMessageA(frame, WM_ENDSESSION, TRUE, reason);
        EXPECT_FALSE(::IsWindow(frame)) << reason;
        EXPECT_FALSE(ShellHasIcon(form, ID_TRAY_ICON)) << reason;
        EXPECT_EQ(SocketsStarted(), socketsBefore) << reason;
        App().Stop();
    }
}

// Exit from the tray menu while a dialog is open, whether the main menu (the frame, which hands the
// command on to the view) or the tray menu (the view itself) opened it: the dialog goes with the
// program and stores nothing, and the view is not deleted under the command that opened the dialog.
TEST_F(AppStartup, ExitFromTheTrayWhileADialogIsOpenEndsCleanly)
{
    const struct {
        const char* caption;
        UINT command;
        bool fromTrayMenu;
        int changedControl;  // clicked in the dialog before the exit (0: none)
    } cases[] = {
        {"About Prodle", ID_APP_ABOUT, false, 0},
        {"About Prodle", ID_APP_ABOUT, true, 0},
        {"Options", ID_OPTIONS, false, IDC_CHECK_RANDOM_NAME},
        {"Edit Names", ID_EDIT_NAMES, false, IDC_BUTTON_RESTORE_DEFAULT},
    };
    for (const auto& c : cases) {
        const std::string what =
            std::string(c.caption) + (c.fromTrayMenu ? " from the tray menu" : " from the menu");
        StartStopped();
        const HWND frame = App().MainWindow();
        const HWND form = App().Form();
        bool viewLivedOn = false;
        DialogScript script(c.caption);
        if (c.changedControl)
            script.Click(c.changedControl);
        script.Then([&](HWND) {
            ::SendMessageA(form, WM_COMMAND, ID_TRAY_EXIT, 0);
            // The view takes its icon away when it is deleted.
            viewLivedOn = ShellHasIcon(form, ID_TRAY_ICON);
            return true;
        });
        script.Arm();
        ::PostMessageA(c.fromTrayMenu ? form : frame, WM_COMMAND, c.command, 0);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(frame); })) << what;
        EXPECT_TRUE(script.Finished()) << what << ": " << script.Failure();
        EXPECT_TRUE(viewLivedOn) << what;
        EXPECT_FALSE(ShellHasIcon(form, ID_TRAY_ICON)) << what;
        EXPECT_EQ(Setting("RandomName"), std::nullopt) << what;
        EXPECT_EQ(Setting("ComboName1"), std::nullopt) << what;
        App().Stop();
    }
}

TEST_F(AppStartup, SocketsAndThePauseOncePerView)
{
    const bool before = SocketsStarted();
    StartStopped();
    EXPECT_EQ(App().pausedMs, 1000u);
    EXPECT_TRUE(SocketsStarted());
    App().Stop();
    EXPECT_EQ(SocketsStarted(), before);

    // Windows Sockets that will not start is told, and the program goes on after the same pause.
    {
        ImportPatch refused({"ws2_32.dll", "wsock32.dll"}, "WSAStartup",
                            reinterpret_cast<void*>(&RefuseStartup));
        ASSERT_GT(refused.Patched(), 0u);
        App().pausedMs = 0;
        StartStopped();
    }
    ASSERT_EQ(App().boxes.size(), 1u);
    EXPECT_EQ(App().boxes[0].text, "Prodle: WSAStartup failed");
    EXPECT_EQ(App().boxes[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(App().pausedMs, 1000u);
    char status[32] = {};
    ::GetDlgItemTextA(App().Form(), IDC_STATIC_STATUS, status, sizeof status);
    EXPECT_STREQ(status, "PLEASE START ME");
}

// A later start while this one is still starting (its pause before the first prodle, here longer than
// the later start would wait for an answer) waits until the start-up is done; then its request is
// answered, and the form comes up.
TEST_F(AppStartup, ALaterStartDuringTheStartUpWaitsUntilItIsReady)
{
    const CSingleInstance::Patience patience{10000, 100};
    CSingleInstance later(App().m_strAppName.c_str(), patience);
    std::future<CSingleInstance::Outcome> outcome;
    std::atomic<bool> asking{false};
    App().onPause = [&] {
        outcome = std::async(std::launch::async, [&] {
            asking = true;
            return later.Send(CSingleInstance::kShowForm, CMainFrame::kClassName);
        });
        // The start-up is still paused when the later start has been asking for longer than it would
        // wait for an answer.
        for (const DWORD start = ::GetTickCount(); !asking && ::GetTickCount() - start < 10000;)
            ::Sleep(1);
        ::Sleep(3 * patience.answerMs);
    };
    StartStopped();
    App().onPause = nullptr;
    ASSERT_TRUE(outcome.valid());
    EXPECT_TRUE(
        PumpUntil([&] { return outcome.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(outcome.get(), CSingleInstance::Outcome::Done);
    EXPECT_TRUE(::IsWindowVisible(App().MainWindow()));
}

// What Vista and later offer is looked up at run time: the message filter lets a new taskbar and a
// later start of the user's programs through to an elevated frame (per window from Windows 7 on, per
// process on Vista), and Windows is asked to start Prodle again, as the log-in entry does, after an
// update has closed it. Windows XP has none of it, and Prodle starts all the same.
TEST_F(AppStartup, MessageFilterAndRestartWhereWindowsHasThem)
{
    g_realGetProcAddress = &::GetProcAddress;
    const ImportPatch patch({"kernel32.dll"}, "GetProcAddress",
                            reinterpret_cast<void*>(&LookUpInLaterWindows));
    ASSERT_GT(patch.Patched(), 0u);
    const struct {
        const char* windows;
        std::vector<std::string> offered;
        const char* calls;  // MSGFLT_ALLOW and MSGFLT_ADD are 1; no restart after a crash, hang or reboot: 11
    } versions[] = {
        {"7 and later",
         {"ChangeWindowMessageFilterEx", "ChangeWindowMessageFilter", "RegisterApplicationRestart"},
         "Ex frame TaskbarCreated 1; Ex frame request 1; Restart /login 11; "},
        {"Vista",
         {"ChangeWindowMessageFilter", "RegisterApplicationRestart"},
         "Filter TaskbarCreated 1; Filter request 1; Restart /login 11; "},
        {"XP", {}, ""},
    };
    for (const auto& version : versions) {
        g_offered = version.offered;
        g_calls.clear();
        StartStopped();
        EXPECT_EQ(g_calls, version.calls) << version.windows;
        App().Stop();
    }
}

}  // namespace

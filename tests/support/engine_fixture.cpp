#include "support/engine_fixture.h"

#include <cstdio>

#include "app/resource.h"
#include "engine/prodle_view.h"
#include "framework/win_app.h"
#include "support/form.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

SYSTEMTIME g_now;

void WINAPI ReadClock(SYSTEMTIME* time)
{
    *time = g_now;
}

void SetClock(WORD hour, WORD minute, WORD second)
{
    g_now = {2024, 3, 0, 5, hour, minute, second, 0};
}

}  // namespace

void EngineFixture::SetUp()
{
    KeepNotificationAreaOpen();
    RemoveBaseKey();
    RemoveIniFile();
    SetSetting("AutoStart", "0");
    SetClock(1, 2, 3);
    clock_ =
        std::make_unique<ImportPatch>(std::initializer_list<const char*>{"kernel32.dll", "kernelbase.dll"},
                                      "GetLocalTime", reinterpret_cast<void*>(&ReadClock));
    ASSERT_GT(clock_->Patched(), 0u);
    shell_ = std::make_unique<ShellNotifyRecorder>(false);
}

void EngineFixture::TearDown()
{
    App().onBox = nullptr;
    App().Stop();
    // Whatever path the test took, the end of the program leaves the cursor an arrow.
    if (form_) {
        EXPECT_EQ(App().GetWaitCursorCount(), 0);
    }
    shell_.reset();
    clock_.reset();
    RemoveBaseKey();
}

void EngineFixture::SetHosts(std::initializer_list<const char*> hosts, int selected)
{
    int index = 0;
    for (const char* host : hosts) {
        char name[32];
        std::snprintf(name, sizeof name, "ComboName%d", index++);
        SetSetting(name, host);
    }
    SetSetting("ComboNameSel", std::to_string(selected));
}

void EngineFixture::StartProdle()
{
    SetClock(1, 2, 3);
    form_ = App().Start() ? App().Form() : nullptr;
    SetClock(4, 5, 6);
}

KeepAliveEngine& EngineFixture::Engine() const
{
    return App().View()->Engine();
}

void EngineFixture::StartCycleAndSettle() const
{
    PressStart();
    SettleLookups();
}

void EngineFixture::PressStart() const
{
    ::SendMessageA(form_, WM_COMMAND, IDC_BUTTON_START, 0);
}

void EngineFixture::SettleLookups() const
{
    PumpUntil([] { return App().GetWaitCursorCount() == 0; });
}

void EngineFixture::Tick() const
{
    ::SendMessageA(form_, WM_TIMER, TIMER_COUNTDOWN, 0);
}

void EngineFixture::TickToExpiry() const
{
    // Before its first tick a countdown shows nothing; that tick expires it.
    const std::string left = Countdown();
    const int seconds = left.empty() ? 1 : std::stoi(left.substr(0, 2)) * 60 + std::stoi(left.substr(3));
    for (int i = 0; i < seconds; ++i)
        Tick();
}

bool EngineFixture::WaitForConnection() const
{
    return PumpUntil([this] { return !Engine().IsConnecting(); });
}

bool EngineFixture::WaitForRequests(const LoopbackServer& server, size_t count)
{
    return PumpUntil([&] { return server.RequestCount() >= count; });
}

bool EngineFixture::WaitUntilCompleted() const
{
    return PumpUntil([this] { return CurrentPhase() != Phase::WaitingForReply && !Engine().IsConnecting(); });
}

void EngineFixture::SendSocketNews(SOCKET socket, WORD event) const
{
    ::SendMessageA(form_, WM_PRODLE_SOCKET, static_cast<WPARAM>(socket), WSAMAKESELECTREPLY(event, 0));
}

std::string EngineFixture::Status() const
{
    return ControlText(form_, IDC_STATIC_STATUS);
}

std::string EngineFixture::HostText() const
{
    return ControlText(form_, IDC_COMBO_HOSTS);
}

std::string EngineFixture::Countdown() const
{
    return ControlText(form_, IDC_STATIC_COUNTDOWN);
}

void EngineFixture::TypeMinutes(const std::string& text) const
{
    SetControlText(form_, IDC_EDIT_OFTEN, text);
}

void EngineFixture::TypeHost(const std::string& text) const
{
    SetControlText(form_, IDC_COMBO_HOSTS, text);
}

bool EngineFixture::Counting() const
{
    return ControlEnabled(form_, IDC_STATIC_NEXT_LABEL);
}

bool EngineFixture::StartEnabled() const
{
    return ControlEnabled(form_, IDC_BUTTON_START);
}

std::string EngineFixture::TrayTip() const
{
    return shell_->LastTip(form_);
}

bool EngineFixture::TrayShows(UINT iconId) const
{
    return shell_->LastIcon(form_) == AfxGetApp()->LoadSmallIcon(iconId);
}

std::string EngineFixture::LastBox() const
{
    return App().boxes.empty() ? std::string() : App().boxes.back().text;
}

size_t EngineFixture::BoxCount() const
{
    return App().boxes.size();
}

std::string EngineFixture::ExpectedRequest(const std::string& localAddress)
{
    return "GET / HTTP/1.0\r\n"
           "Connection: Keep-Alive\r\n"
           "User-Agent: Mozilla/3.0 (Win95; I)\r\n"
           "Host: " +
           localAddress +
           "\r\n"
           "Accept: image/gif, image/jpeg, */*\r\n"
           "\r\n";
}

bool EngineFixture::IsErrorBox(const std::string& text, const std::string& head)
{
    return text == head + "\n\nProdle launched at time 01:02:03\nThis message created at time 04:05:06";
}

#include "support/engine_fixture.h"

#include <cstdio>

#include "app/resource.h"
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
    RemoveBaseKey();
    RemoveIniFile();
    SetSetting("AutoStart", "0");
    SetClock(1, 2, 3);
    clock_ = std::make_unique<ImportPatch>(std::initializer_list<const char*>{"kernel32.dll", "kernelbase.dll"},
                                           "GetLocalTime", reinterpret_cast<void*>(&ReadClock));
    ASSERT_GT(clock_->Patched(), 0u);
}

void EngineFixture::TearDown()
{
    // Whatever path the test took, the wait cursor must be back to the arrow.
    if (view_) {
        EXPECT_EQ(App().GetWaitCursorCount(), 0);
    }
    App().onBox = nullptr;
    App().Stop();
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
    view_ = App().Start() ? App().View() : nullptr;
    SetClock(4, 5, 6);
}

void EngineFixture::StartCycleAndSettle()
{
    view_->StartCycle();
    PumpUntil([] { return App().GetWaitCursorCount() == 0; });
}

void EngineFixture::Tick() const
{
    ::SendMessageA(view_->m_hWnd, WM_TIMER, TIMER_COUNTDOWN, 0);
}

bool EngineFixture::WaitForConnection() const
{
    return PumpUntil([this] { return !view_->m_bConnectPending; });
}

bool EngineFixture::WaitForRequests(const LoopbackServer& server, size_t count)
{
    return PumpUntil([&] { return server.RequestCount() >= count; });
}

bool EngineFixture::WaitUntilCompleted() const
{
    return PumpUntil([this] { return !view_->m_bWaiting; });
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
           "Host: " + localAddress + "\r\n"
           "Accept: image/gif, image/jpeg, */*\r\n"
           "\r\n";
}

bool EngineFixture::IsErrorBox(const std::string& text, const std::string& head)
{
    return text == head + "\n\nProdle launched at time 01:02:03\nThis message created at time 04:05:06";
}

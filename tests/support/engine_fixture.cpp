#include "support/engine_fixture.h"

#include <cstdio>
#include <regex>

#include "app/resource.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

void EngineFixture::SetUp()
{
    RemoveBaseKey();
    RemoveIniFile();
    SetSetting("AutoStart", "0");
}

void EngineFixture::TearDown()
{
    // Whatever path the test took, the wait cursor must be back to the arrow.
    if (view_) {
        EXPECT_EQ(App().GetWaitCursorCount(), 0);
    }
    App().onBox = nullptr;
    App().Stop();
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
    view_ = App().Start() ? App().View() : nullptr;
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
    static const std::regex suffix("\n\nProdle launched at time [0-2][0-9]:[0-5][0-9]:[0-5][0-9]\n"
                                   "This message created at time [0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
    return text.compare(0, head.size(), head) == 0 && std::regex_match(text.substr(head.size()), suffix);
}

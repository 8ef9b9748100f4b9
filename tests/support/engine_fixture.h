// The base of the engine's tests: a clean registry with auto-start off, the program started, and the
// engine driven deterministically (ticks sent to the view, lookups and socket news pumped with a bound).
#ifndef PRODLE_TESTS_SUPPORT_ENGINE_FIXTURE_H
#define PRODLE_TESTS_SUPPORT_ENGINE_FIXTURE_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "engine/prodle_view.h"
#include "support/import_patch.h"
#include "support/loopback_server.h"

class EngineFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores the host list ("ComboName0", ...) and its selection.
    static void SetHosts(std::initializer_list<const char*> hosts, int selected = 0);
    // Starts the program; the view afterwards is view_ (null on failure).
    void StartProdle();
    // "Start or Apply Changes", then handles messages until the lookups of the start have answered
    // (the wait cursor is back to normal).
    void StartCycleAndSettle();
    // One tick of the countdown.
    void Tick() const;
    // Handles messages until the connection being made (if any) has its outcome.
    bool WaitForConnection() const;
    // Handles messages until the server holds this many requests.
    static bool WaitForRequests(const LoopbackServer& server, size_t count);
    // Handles messages until the prodle's reply has been taken (or the bound passes).
    bool WaitUntilCompleted() const;

    std::string Status() const { return view_->m_staticStatus.GetWindowText(); }
    std::string HostText() const { return view_->m_comboNames.GetWindowText(); }
    std::string Countdown() const { return view_->m_staticCountdown.GetWindowText(); }
    bool Counting() const { return view_->m_staticNextLabel.IsWindowEnabled() != FALSE; }
    std::string LastBox() const;
    size_t BoxCount() const;

    // The request the program must send from this local address.
    static std::string ExpectedRequest(const std::string& localAddress);
    // Every engine error box ends with the launch time and the time of the message: true when the text
    // is exactly `head` followed by those two lines, the launch time being the clock's when the program
    // started and the message time the clock's since (see clock_).
    static bool IsErrorBox(const std::string& text, const std::string& head);

    CProdleView* view_ = nullptr;

private:
    // The local time the program reads: one time while it starts, a later one from then on.
    std::unique_ptr<ImportPatch> clock_;
};

#endif

// The base of the engine's tests: a clean registry with auto-start off, the program started, and the
// engine driven deterministically (ticks sent to the form, lookups and socket news pumped with a bound).
// What the engine shows is read from the form's controls and from what the shell's notification area
// was handed.
#ifndef PRODLE_TESTS_SUPPORT_ENGINE_FIXTURE_H
#define PRODLE_TESTS_SUPPORT_ENGINE_FIXTURE_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "engine/keep_alive_engine.h"
#include "support/import_patch.h"
#include "support/loopback_server.h"
#include "support/notification_area.h"

class EngineFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores the host list ("ComboName0", ...) and its selection.
    static void SetHosts(std::initializer_list<const char*> hosts, int selected = 0);
    // Starts the program; Form() is its form afterwards (null on failure).
    void StartProdle();
    // "Start or Apply Changes", then handles messages until the lookups of the start have answered
    // (the wait cursor is back to normal).
    void StartCycleAndSettle() const;
    void PressStart() const;
    void SettleLookups() const;
    // One tick of the countdown.
    void Tick() const;
    // Ticks until the next one expires the countdown, and that one.
    void TickToExpiry() const;
    // Handles messages until the connection being made (if any) has its outcome.
    bool WaitForConnection() const;
    // Handles messages until the server holds this many requests.
    static bool WaitForRequests(const LoopbackServer& server, size_t count);
    // Handles messages until the prodle's reply has been taken (or the bound passes).
    bool WaitUntilCompleted() const;
    void SendSocketNews(SOCKET socket, WORD event) const;

    HWND Form() const { return form_; }
    KeepAliveEngine& Engine() const;
    Phase CurrentPhase() const { return Engine().CurrentPhase(); }
    std::string Status() const;
    std::string HostText() const;
    std::string Countdown() const;
    void TypeMinutes(const std::string& text) const;
    void TypeHost(const std::string& text) const;
    bool Counting() const;
    bool StartEnabled() const;
    // The tray icon as the notification area last got it.
    std::string TrayTip() const;
    bool TrayShows(UINT iconId) const;
    std::string LastBox() const;
    size_t BoxCount() const;

    // The request the program must send from this local address.
    static std::string ExpectedRequest(const std::string& localAddress);
    // Every engine error box ends with the launch time and the time of the message: true when the text
    // is exactly `head` followed by those two lines, the launch time being the clock's when the program
    // started and the message time the clock's since (see clock_).
    static bool IsErrorBox(const std::string& text, const std::string& head);

    std::unique_ptr<ShellNotifyRecorder> shell_;

private:
    HWND form_ = nullptr;
    // The local time the program reads: one time while it starts, a later one from then on.
    std::unique_ptr<ImportPatch> clock_;
};

#endif

// What the keep-alive engine needs of the window that shows it: the user's input (the minutes text, the
// host text and the host list), the places where the engine's state shows (status line, countdown, Start
// button, tray picture and tip, wait cursor, error boxes), and the settings a prodle stores. The form
// implements it; a test implements it to drive the engine without a form.
#ifndef PRODLE_ENGINE_KEEP_ALIVE_FRONT_END_H
#define PRODLE_ENGINE_KEEP_ALIVE_FRONT_END_H

#include <vector>

#include "engine/rules/phases.h"
#include "framework/cstring.h"

enum class TrayPicture { Running, Stopped, InFlight };

class KeepAliveFrontEnd {
public:
    // The period in minutes as typed, and the last accepted one put back after a refused text.
    virtual CString MinutesText() const = 0;
    virtual void SetMinutesText(const CString& text) = 0;
    // The host of the next cycle: the text of the host box, whether or not it is a list entry.
    virtual CString HostText() const = 0;
    // The host list in order, and its selected entry (-1: none). Selecting an entry makes its text the
    // host text.
    virtual std::vector<CString> Hosts() const = 0;
    virtual int SelectedHost() const = 0;
    // The first entry whose whole text matches, letter case ignored (-1: none).
    virtual int FindHost(const CString& host) const = 0;
    virtual void SelectHost(int index) = 0;
    virtual void AppendHost(const CString& host) = 0;

    virtual void ShowStatus(const CString& text) = 0;
    // The time left ("" blank), and whether the countdown's label shows as running.
    virtual void ShowCountdown(const CString& text) = 0;
    virtual void ShowCounting(bool counting) = 0;
    virtual void EnableStart(bool enable) = 0;
    virtual void ShowTrayPicture(TrayPicture picture) = 0;
    virtual void ShowTrayTip(const CString& tip) = 0;
    // The prodle's reply has come: the window's caption stops flashing.
    virtual void StopFlashing() = 0;
    // The wait cursor, counted: each Begin is matched by one End.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // A modal box with one OK button. False when the program was closed while it was up: the engine then
    // does nothing more.
    virtual bool ShowError(const CString& text) = 0;

    // After a successful connection: the minutes text as "Often", the list and its selected entry.
    virtual void StoreConnection(const CString& often, const std::vector<CString>& hosts, int selected) = 0;
    // "Ignore Connection Failures" turned off by the engine (the only host failed).
    virtual void StoreIgnoreFailuresOff() = 0;

    // Each move of the engine from phase to phase, as it is made (for a look from outside).
    virtual void PhaseChanged(Phase from, Trigger why, Phase to) {}

protected:
    ~KeepAliveFrontEnd() = default;
};

#endif

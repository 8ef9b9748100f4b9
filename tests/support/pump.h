// Message pumping for tests: run the program's message handling until something holds, with a bound.
#ifndef PRODLE_TESTS_SUPPORT_PUMP_H
#define PRODLE_TESTS_SUPPORT_PUMP_H

#include <windows.h>

#include <functional>

// Handles every message already queued.
void PumpPending();
// Handles messages until `done` holds or `timeoutMs` pass; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Handles messages for this long.
void PumpFor(DWORD milliseconds);
// Handles messages until a timer of this thread, armed now for this long, has come; false if it did
// not within a minute. A timer of the program due no later has come by then too (timers come in the
// order they are due): the positive sign that a tick that must not come would have.
bool PumpPastTimer(DWORD milliseconds);

#endif

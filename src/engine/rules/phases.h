// The phases of the keep-alive engine and every move between them, in one table. The engine checks each
// move it makes against the table, and docs/architecture.md's state diagram is made from it.
#ifndef PRODLE_ENGINE_RULES_PHASES_H
#define PRODLE_ENGINE_RULES_PHASES_H

#include <cstddef>
#include <string>

enum class Phase {
    Stopped,
    LookingUpLocalAddress,
    CheckingHost,
    CountingDown,
    // The countdown runs on through the three phases of a prodle.
    Connecting,
    // A failed connection's box is up, or its next host is being chosen.
    ReportingFailure,
    WaitingForReply,
    // Soon after a wake, a lookup or connect failed: the same step is tried again in a few seconds.
    WaitingForNetwork,
};

// What moves the engine.
enum class Trigger {
    Start,               // "Start or Apply Changes", auto-start, a random pick or a rotation
    Stop,                // stopped from outside (a new start, exit) or after a failure's box
    LocalAddressFound,   // WM_APP + 24 answered
    LocalAddressFailed,  // WM_APP + 24 failed: box
    HostFound,           // WM_APP + 16 answered
    HostNotFound,        // WM_APP + 16 failed: box
    PeriodRefused,       // the minutes text is refused: box
    ProdleDue,           // timer 101 reaches the target
    Connected,           // WM_APP + 8 FD_CONNECT without error: the request is sent
    ConnectFailed,       // FD_CONNECT with an error, FD_CLOSE, WM_APP + 32 failed, or timer 107 (the bound)
    NoConnection,        // no host text, or no socket: the countdown runs on
    ReplyArrived,        // WM_APP + 8 FD_READ: the first reply data
    Suspended,           // WM_POWERBROADCAST: the machine goes to sleep; the connection is given up
    NetworkDown,         // a lookup or connect failed in the first minute after a wake
    RetryDue,            // timer 109: the step that failed after a wake is tried again
};

struct PhaseMove {
    Phase from;
    Trigger trigger;
    Phase to;
};

extern const PhaseMove kPhaseMoves[];
extern const size_t kPhaseMoveCount;

bool IsListedMove(Phase from, Trigger trigger, Phase to);
const char* PhaseName(Phase phase);
const char* TriggerText(Trigger trigger);
// True in the phases in which the countdown runs and shows.
bool IsCounting(Phase phase);

// The table as a Mermaid state diagram, one line per move.
std::string PhaseDiagram();

#endif

// What a prodle that could not connect leads to. One function decides; the engine acts on its answer.
#ifndef PRODLE_ENGINE_RULES_FAILURE_POLICY_H
#define PRODLE_ENGINE_RULES_FAILURE_POLICY_H

enum class FailureAction {
    StopWithBox,        // "Cannot connect" box, then the engine stops with the tray's notice
    Stop,               // the engine stops with the tray's notice, without a box of the policy's own
    CountOn,            // the countdown goes on, to the same host
    NextHost,           // the list entry `hostIndex` is selected and the cycle starts again on it
    ResetIgnoreAndStop  // the only entry failed: "Ignore Connection Failures" is turned off, box, stop
};

struct FailureDecision {
    FailureAction action;
    int hostIndex;  // for NextHost
};

enum class FailureKind {
    CannotConnect,  // the connect failed or found no end before its bound
    NoAttempt,      // there was nothing to connect to (no host text) or no socket to connect with
};

// `hostIndex` is where the failed host stands in the list of `hostCount` entries (-1: not in it).
FailureDecision DecideAfterFailure(FailureKind kind, bool ignoreFailures, int hostIndex, int hostCount);

#endif

#include "engine/rules/failure_policy.h"

FailureDecision DecideAfterFailure(FailureKind kind, bool ignoreFailures, int hostIndex, int hostCount)
{
    if (kind == FailureKind::NoAttempt)
        return {ignoreFailures ? FailureAction::CountOn : FailureAction::Stop, hostIndex};
    if (!ignoreFailures)
        return {FailureAction::StopWithBox, hostIndex};
    // A host that is not in the list (typed, or stored with spaces before it) starts over at the top.
    if (hostIndex < 0 || hostIndex >= hostCount)
        return {FailureAction::NextHost, 0};
    if (hostCount == 1)
        return {FailureAction::ResetIgnoreAndStop, hostIndex};
    return {FailureAction::NextHost, (hostIndex + 1) % hostCount};
}

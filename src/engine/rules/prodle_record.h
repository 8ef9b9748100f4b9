// One finished prodle as the history keeps it, and its line in the history file: when it began, its
// host and address, how it ended, and how long the reply took.
#ifndef PRODLE_ENGINE_RULES_PRODLE_RECORD_H
#define PRODLE_ENGINE_RULES_PRODLE_RECORD_H

#include <cstdint>
#include <optional>
#include <string>

enum class ProdleOutcome {
    Reply,               // reply data came
    Refused,             // the connect failed: refused, closed before it was made, or no answer in 21 s
    ClosedWithoutReply,  // connected, and the server closed without a word
    NoReply,             // connected, and no reply before the next prodle (or a stop or sleep)
    LookupFailed,        // the name of the host, or the computer's own address, could not be looked up
    WaitedForNetwork,    // soon after a wake or a change of network: waited for the network
};

struct ProdleRecord {
    int64_t startedAt = 0;  // seconds since 1970 (UTC)
    std::string host;
    std::string address;  // the address connected to; empty when none
    ProdleOutcome outcome = ProdleOutcome::Reply;
    int replyMs = -1;  // from the connect to the first reply data; -1 without a reply

    bool Succeeded() const { return outcome == ProdleOutcome::Reply; }
};

// The outcome's words for people ("reply", "refused", ...) and for the file.
const char* OutcomeText(ProdleOutcome outcome);

// The record as one line of the file, without its line end: time, host, address, outcome and reply
// time, separated by tabs. Tabs and line ends in a host text become spaces.
std::string FormatRecord(const ProdleRecord& record);
// The record a line holds, or nothing for a line that is not one (torn, damaged or hostile).
std::optional<ProdleRecord> ParseRecord(const std::string& line);

#endif

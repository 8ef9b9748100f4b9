// The history of the recent prodles: the last kHistoryLength of them, read from the file's text (with
// the lines that are no record skipped and counted), and the figures the History window sums up.
#ifndef PRODLE_HISTORY_RULES_HISTORY_H
#define PRODLE_HISTORY_RULES_HISTORY_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/rules/prodle_record.h"

// A day at one prodle a minute.
constexpr size_t kHistoryLength = 1440;

struct ParsedHistory {
    std::vector<ProdleRecord> records;  // oldest first, at most kHistoryLength
    size_t skipped = 0;                 // lines that were no record, a last one without its end among them
    size_t dropped = 0;                 // records older than the last kHistoryLength
};
ParsedHistory ParseHistory(const std::string& text);

// Appends, dropping the oldest beyond kHistoryLength.
void AddToHistory(std::vector<ProdleRecord>* records, const ProdleRecord& record);

struct HistorySummary {
    int prodles = 0;  // in the 24 hours before `now`
    int failed = 0;
    std::optional<int> medianReplyMs;
    std::optional<int> slowestReplyMs;
    // The longest stretch in those 24 hours without a successful reply, in seconds (to `now`, too).
    int64_t longestWithoutReply = 0;
};
HistorySummary Summarize(const std::vector<ProdleRecord>& records, int64_t now);

// The summary as the window's one line: "1,440 prodles in the last 24 hours, 3 failed; replies in 38 ms
// (median), 2,104 ms at the slowest; the longest stretch without a reply: 12 min".
std::string SummaryText(const HistorySummary& summary);

// The history as tab-separated text with a header line, for a spreadsheet or a mail.
std::string HistoryAsText(const std::vector<ProdleRecord>& records);

// A bar's height, out of `full`, for a reply time: on a scale that shows 5 ms and 5 s alike (1 ms to
// 10 s, logarithmic); a failure (no reply time) is full height.
int BarHeight(const ProdleRecord& record, int full);

#endif

// Feeds arbitrary bytes to the history file's reader: each record it keeps must write back to a line
// that reads as the same record, and the summary and the bars must take whatever it kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "history/rules/history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ParsedHistory history = ParseHistory(text);
    if (history.records.size() > kHistoryLength || history.records.size() + history.skipped > size)
        std::abort();
    for (const ProdleRecord& record : history.records) {
        const std::string line = FormatRecord(record);
        const std::optional<ProdleRecord> back = ParseRecord(line);
        if (!back || FormatRecord(*back) != line)
            std::abort();
        const int height = BarHeight(record, 40);
        if (height < 1 || height > 40)
            std::abort();
    }
    if (!history.records.empty())
        SummaryText(Summarize(history.records, history.records.back().startedAt));
    HistoryAsText(history.records);
    return 0;
}

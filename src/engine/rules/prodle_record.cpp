#include "engine/rules/prodle_record.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

constexpr const char* kOutcomes[] = {"reply",    "refused",       "closed without reply",
                                     "no reply", "lookup failed", "waited for the network"};
constexpr int kOutcomeCount = static_cast<int>(sizeof kOutcomes / sizeof kOutcomes[0]);
// No host name is longer (a DNS name has at most 253 characters), and no address.
constexpr size_t kLongestField = 255;

std::string Clean(const std::string& text)
{
    std::string clean = text.substr(0, kLongestField);
    for (char& c : clean) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return clean;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

// A whole decimal number in [low, high], nothing else.
std::optional<long long> Number(const std::string& text, long long low, long long high)
{
    if (text.empty() || text.size() > 19)
        return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] >= '0' && text[i] <= '9') && !(i == 0 && text[i] == '-' && text.size() > 1))
            return std::nullopt;
    }
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || value < low || value > high)
        return std::nullopt;
    return value;
}

}  // namespace

const char* OutcomeText(ProdleOutcome outcome)
{
    const int index = static_cast<int>(outcome);
    return index >= 0 && index < kOutcomeCount ? kOutcomes[index] : "?";
}

std::string FormatRecord(const ProdleRecord& record)
{
    return std::to_string(record.startedAt) + '\t' + Clean(record.host) + '\t' + Clean(record.address) +
           '\t' + OutcomeText(record.outcome) + '\t' + std::to_string(record.replyMs);
}

std::optional<ProdleRecord> ParseRecord(const std::string& line)
{
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() != 5 || fields[1].size() > kLongestField || fields[2].size() > kLongestField)
        return std::nullopt;
    // From 1 January 2000 to 2100: anything else is not a time this program wrote.
    const auto startedAt = Number(fields[0], 946684800LL, 4102444800LL);
    const auto replyMs = Number(fields[4], -1, 24LL * 3600 * 1000);
    if (!startedAt || !replyMs)
        return std::nullopt;
    for (int i = 0; i < kOutcomeCount; ++i) {
        if (fields[3] != kOutcomes[i])
            continue;
        ProdleRecord record;
        record.startedAt = *startedAt;
        record.host = fields[1];
        record.address = fields[2];
        record.outcome = static_cast<ProdleOutcome>(i);
        record.replyMs = static_cast<int>(*replyMs);
        // A reply has its time, and nothing else has one.
        if (record.Succeeded() != (record.replyMs >= 0))
            return std::nullopt;
        return record;
    }
    return std::nullopt;
}

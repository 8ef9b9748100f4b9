#include "history/rules/history.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int64_t kDay = 24 * 3600;

// Days since 1970-01-01 as a civil date (the proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int* year, int* month, int* day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    *day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    *month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

std::string UtcText(int64_t seconds)
{
    int year = 0, month = 0, day = 0;
    const int64_t days = seconds >= 0 ? seconds / kDay : (seconds - kDay + 1) / kDay;
    const int64_t inDay = seconds - days * kDay;
    CivilFromDays(days, &year, &month, &day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day,
                  static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60),
                  static_cast<int>(inDay % 60));
    return text;
}

std::string Duration(int64_t seconds)
{
    if (seconds < 120)
        return std::to_string(seconds) + " s";
    if (seconds < 2 * 3600)
        return std::to_string(seconds / 60) + " min";
    return std::to_string(seconds / 3600) + " h " + std::to_string(seconds / 60 % 60) + " min";
}

}  // namespace

ParsedHistory ParseHistory(const std::string& text)
{
    ParsedHistory history;
    // Storage for the lines there are, up to what a file the book wrote holds.
    history.records.reserve(
        std::min(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), 2 * kHistoryLength));
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        // Every line is written with its end: one without is torn, even where what is left still reads
        // as a record (a reply time cut short), and the next line written would run on from it.
        if (end == std::string::npos) {
            ++history.skipped;
            break;
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (line.empty())
            continue;
        if (const std::optional<ProdleRecord> record = ParseRecord(line)) {
            history.records.push_back(*record);
        } else {
            ++history.skipped;
        }
    }
    if (history.records.size() > kHistoryLength) {
        history.dropped = history.records.size() - kHistoryLength;
        history.records.erase(history.records.begin(),
                              history.records.begin() + static_cast<std::ptrdiff_t>(history.dropped));
    }
    return history;
}

void AddToHistory(std::vector<ProdleRecord>* records, const ProdleRecord& record)
{
    // Room made first, so that a full history never grows its storage.
    if (records->size() >= kHistoryLength)
        records->erase(records->begin(),
                       records->begin() + static_cast<std::ptrdiff_t>(records->size() - kHistoryLength + 1));
    records->push_back(record);
}

std::vector<Outage> FindOutages(const std::vector<ProdleRecord>& records)
{
    std::vector<Outage> outages;
    size_t run = 0;  // the failures in a row up to here
    for (size_t i = 0; i <= records.size(); ++i) {
        if (i < records.size() && !records[i].Succeeded()) {
            ++run;
            continue;
        }
        if (run >= 2)
            outages.push_back({i - run, i});
        run = 0;
    }
    return outages;
}

HistorySummary Summarize(const std::vector<ProdleRecord>& records, int64_t now)
{
    HistorySummary summary;
    std::vector<int> replies;
    std::optional<int64_t> stretchFrom;
    for (const ProdleRecord& record : records) {
        if (record.startedAt < now - kDay || record.startedAt > now)
            continue;
        ++summary.prodles;
        if (!stretchFrom)
            stretchFrom = record.startedAt;
        if (!record.Succeeded()) {
            ++summary.failed;
            continue;
        }
        replies.push_back(record.replyMs);
        summary.longestWithoutReply = std::max(summary.longestWithoutReply, record.startedAt - *stretchFrom);
        stretchFrom = record.startedAt;
    }
    if (stretchFrom)
        summary.longestWithoutReply = std::max(summary.longestWithoutReply, now - *stretchFrom);
    if (!replies.empty()) {
        std::sort(replies.begin(), replies.end());
        summary.medianReplyMs = replies[(replies.size() - 1) / 2];
        summary.slowestReplyMs = replies.back();
    }
    for (const Outage& outage : FindOutages(records)) {
        const int64_t from = std::max(records[outage.first].startedAt, now - kDay);
        const int64_t to = std::min(outage.end < records.size() ? records[outage.end].startedAt : now, now);
        if (records[outage.first].startedAt > now || to <= now - kDay)
            continue;
        ++summary.outages;
        summary.outagesLength += std::max<int64_t>(0, to - from);
    }
    return summary;
}

std::string SummaryText(const HistorySummary& summary)
{
    std::string text = std::to_string(summary.prodles) + (summary.prodles == 1 ? " prodle" : " prodles") +
                       " in the last 24 hours, " + std::to_string(summary.failed) + " failed";
    if (summary.outages == 1)
        text += "; 1 outage of " + Duration(summary.outagesLength);
    else if (summary.outages > 1)
        text += "; " + std::to_string(summary.outages) + " outages, " + Duration(summary.outagesLength) +
                " in all";
    else if (summary.prodles > 0)
        text += "; no outages";
    if (summary.medianReplyMs)
        text += "; replies in " + std::to_string(*summary.medianReplyMs) + " ms (median), " +
                std::to_string(*summary.slowestReplyMs) + " ms at the slowest";
    if (summary.prodles > 0)
        text += "; the longest stretch without a reply: " + Duration(summary.longestWithoutReply);
    return text;
}

std::string HistoryAsText(const std::vector<ProdleRecord>& records)
{
    std::string text = "Time (UTC)\tHost\tAddress\tOutcome\tReply (ms)\r\n";
    for (const ProdleRecord& record : records) {
        text += UtcText(record.startedAt) + '\t' + record.host + '\t' + record.address + '\t' +
                OutcomeText(record.outcome) + '\t' +
                (record.Succeeded() ? std::to_string(record.replyMs) : "") + "\r\n";
    }
    return text;
}

int BarHeight(const ProdleRecord& record, int full)
{
    if (!record.Succeeded())
        return full;
    // 1 ms at the bottom, 10 s at the top: four decades.
    const double decades = std::log10(std::max(1, record.replyMs)) / 4.0;
    const int height = static_cast<int>(std::lround(decades * full));
    return std::clamp(height, 1, full);
}

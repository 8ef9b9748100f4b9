// The history of recent prodles: a record's line in the file and what no line may smuggle in, the file
// read back whole or torn, the day's summary, the text for the clipboard, and a bar's height.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/rules/history.h"

namespace {

ProdleRecord Prodle(int64_t at, ProdleOutcome outcome, int replyMs = -1)
{
    ProdleRecord record;
    record.startedAt = at;
    record.host = "www.example.com";
    record.address = "192.0.2.80";
    record.outcome = outcome;
    record.replyMs = replyMs;
    return record;
}

constexpr int64_t kNoon = 1700000000;  // 2023-11-14 22:13:20 UTC

}  // namespace

TEST(HistoryFile, ARecordReadsBackAsWrittenAndNoOtherLineIsARecord)
{
    ProdleRecord record = Prodle(kNoon, ProdleOutcome::Reply, 38);
    record.host = "a\thost\rwith\nbreaks";
    const std::string line = FormatRecord(record);
    EXPECT_EQ(line, "1700000000\ta host with breaks\t192.0.2.80\treply\t38");
    const std::optional<ProdleRecord> back = ParseRecord(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(FormatRecord(*back), line);
    EXPECT_EQ(ParseRecord("1700000000\t\t\twaited for the network\t-1")->outcome,
              ProdleOutcome::WaitedForNetwork);
    EXPECT_TRUE(ParseRecord(FormatRecord(Prodle(kNoon, ProdleOutcome::Reply, 0))))
        << "a reply within the tick";

    for (const char* hostile : {
             "",
             "1700000000\th\ta\treply",
             "1700000000\th\ta\treply\t38\textra",
             "1700000000\th\ta\treply\t-1",    // a reply without its time
             "1700000000\th\ta\trefused\t12",  // a failure with one
             "1700000000\th\ta\tREPLY\t38",
             "1700000000\th\ta\treply\t+38",
             "1700000000\th\ta\treply\t3 8",
             "1700000000\th\ta\treply\t-",
             "1700000000\th\ta\treply\t99999999999999999999",
             "1700000000\th\ta\treply\t86400001",  // longer than a day
             "99\th\ta\treply\t38",
             "5000000000\th\ta\treply\t38",
             "0x10\th\ta\treply\t38",
         })
        EXPECT_FALSE(ParseRecord(hostile)) << hostile;
    EXPECT_TRUE(ParseRecord("1700000000\t" + std::string(255, 'h') + "\ta\trefused\t-1"));
    EXPECT_FALSE(ParseRecord("1700000000\t" + std::string(256, 'h') + "\ta\trefused\t-1"));
}

TEST(HistoryFile, ATornOrDamagedFileKeepsItsWholeRecordsAndCountsTheRest)
{
    const std::string good = FormatRecord(Prodle(kNoon, ProdleOutcome::Reply, 38));
    const std::string failed = FormatRecord(Prodle(kNoon + 60, ProdleOutcome::Refused));
    const ParsedHistory parsed =
        ParseHistory(good + "\r\n\r\ngarbage\n" + failed + "\n" + std::string("\0\xff\t\t\t\t", 6) + "\r\n" +
                     good.substr(0, good.size() - 1));  // torn in its reply time: "3" of "38"
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[1].outcome, ProdleOutcome::Refused);
    EXPECT_EQ(parsed.skipped, 3u);

    std::string day;
    for (int64_t i = 0; i < static_cast<int64_t>(kHistoryLength) + 5; ++i)
        day += FormatRecord(Prodle(kNoon + i * 60, ProdleOutcome::Reply, 5)) + "\r\n";
    const ParsedHistory full = ParseHistory(day);
    EXPECT_EQ(full.records.size(), kHistoryLength);
    EXPECT_EQ(full.dropped, 5u);
    EXPECT_EQ(full.records.front().startedAt, kNoon + 5 * 60) << "the oldest go";

    std::vector<ProdleRecord> records = full.records;
    AddToHistory(&records, Prodle(kNoon + 99999, ProdleOutcome::NoReply));
    EXPECT_EQ(records.size(), kHistoryLength);
    EXPECT_EQ(records.back().outcome, ProdleOutcome::NoReply);
}

TEST(HistorySummary, TheLastDaysProdlesFailuresRepliesAndLongestStretchWithoutOne)
{
    const int64_t now = kNoon + 3600;
    const std::vector<ProdleRecord> records = {
        Prodle(now - 25 * 3600, ProdleOutcome::Refused),  // more than a day ago: not counted
        Prodle(now - 3000, ProdleOutcome::Reply, 40),    Prodle(now - 2940, ProdleOutcome::Reply, 2104),
        Prodle(now - 2880, ProdleOutcome::NoReply),      Prodle(now - 2820, ProdleOutcome::LookupFailed),
        Prodle(now - 2160, ProdleOutcome::Reply, 38),    Prodle(now - 2100, ProdleOutcome::Reply, 12),
    };
    const HistorySummary summary = Summarize(records, now);
    EXPECT_EQ(summary.prodles, 6);
    EXPECT_EQ(summary.failed, 2);
    EXPECT_EQ(summary.medianReplyMs, 38);
    EXPECT_EQ(summary.slowestReplyMs, 2104);
    EXPECT_EQ(summary.longestWithoutReply, 2100) << "from the last reply to now";
    EXPECT_EQ(SummaryText(summary), "6 prodles in the last 24 hours, 2 failed; replies in 38 ms (median), "
                                    "2104 ms at the slowest; the longest stretch without a reply: 35 min");
    EXPECT_EQ(Summarize(records, now + 2000).longestWithoutReply, 4100);
    EXPECT_EQ(
        Summarize({Prodle(now - 9000, ProdleOutcome::Reply, 5), Prodle(now - 60, ProdleOutcome::Refused)},
                  now)
            .longestWithoutReply,
        9000);
    EXPECT_EQ(SummaryText(Summarize({Prodle(now, ProdleOutcome::Refused)}, now)),
              "1 prodle in the last 24 hours, 1 failed; the longest stretch without a reply: 0 s");
    EXPECT_EQ(SummaryText(Summarize({}, now)), "0 prodles in the last 24 hours, 0 failed");
    // The day is 24 hours to the second.
    EXPECT_EQ(Summarize({Prodle(now - 24 * 3600, ProdleOutcome::Refused)}, now).prodles, 1);
    EXPECT_EQ(Summarize({Prodle(now - 24 * 3600 - 1, ProdleOutcome::Refused)}, now).prodles, 0);
}

TEST(HistoryText, TabSeparatedInUtcWithAReplyTimeOnlyForAReply)
{
    EXPECT_EQ(
        HistoryAsText({Prodle(kNoon, ProdleOutcome::Reply, 38), Prodle(951782400, ProdleOutcome::Refused)}),
        "Time (UTC)\tHost\tAddress\tOutcome\tReply (ms)\r\n"
        "2023-11-14 22:13:20\twww.example.com\t192.0.2.80\treply\t38\r\n"
        "2000-02-29 00:00:00\twww.example.com\t192.0.2.80\trefused\t\r\n");
}

TEST(HistoryBar, FiveMillisecondsAndFiveSecondsBothShowAndAFailureIsFullHeight)
{
    auto height = [](int ms) { return BarHeight(Prodle(kNoon, ProdleOutcome::Reply, ms), 100); };
    EXPECT_EQ(height(0), 1);
    EXPECT_EQ(height(5), 17);
    EXPECT_EQ(height(38), 39);
    EXPECT_EQ(height(5000), 92);
    EXPECT_EQ(height(10000), 100);
    EXPECT_EQ(height(1000000), 100);
    EXPECT_EQ(BarHeight(Prodle(kNoon, ProdleOutcome::NoReply), 100), 100);
}

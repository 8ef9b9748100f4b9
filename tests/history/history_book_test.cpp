// The history's file: a torn or damaged one is read for what is whole in it and written anew, records are
// added at its end, and it never holds much more than two days of them. Two Prodles of the user add to
// it at once and lose nothing, and a power cut or a full disk while it is written anew leaves it whole.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <numeric>
#include <string>

#include "history/history_book.h"
#include "support/helper_mode.h"
#include "support/power_cut.h"
#include "support/program.h"

namespace {

size_t Lines(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

ProdleRecord Reply(int64_t at, int ms, const std::string& host = "localhost")
{
    ProdleRecord record;
    record.startedAt = at;
    record.host = host;
    record.address = "127.0.0.1";
    record.replyMs = ms;
    return record;
}

// A reply's line as the file holds it.
std::string ReplyLine(int64_t at, int ms, const std::string& host = "localhost")
{
    return std::to_string(at) + "\t" + host + "\t127.0.0.1\treply\t" + std::to_string(ms) + "\r\n";
}

// A day of records of this host, as the file holds them.
std::string ADayOf(const std::string& host)
{
    std::string day;
    for (int i = 0; i < static_cast<int>(kHistoryLength); ++i)
        day += ReplyLine(1700000000 + i * 60, i, host);
    return day;
}

void WriteText(const std::wstring& path, const std::string& text)
{
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << text;
}

// The event a writer sets once it has read the file (a Prodle running for a while), or the one the test
// sets to start them all.
std::string EventName(const std::string& writer = "start")
{
    return "prodle-history-two-" + writer;
}

// Another Prodle of the user: adds records 0 to count - 1 of its host when the test says so.
// Arguments: the file, the host, the count.
int AddRecords(const std::vector<std::string>& arguments)
{
    HistoryBook book(std::wstring(arguments.at(0).begin(), arguments[0].end()));  // an ASCII path
    const HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(arguments.at(1)).c_str());
    const HANDLE start = ::OpenEventA(SYNCHRONIZE, FALSE, EventName().c_str());
    if (!ready || !start || !::SetEvent(ready) || ::WaitForSingleObject(start, 30000) != WAIT_OBJECT_0)
        return 3;
    for (int i = 0; i < std::stoi(arguments.at(2)); ++i)
        book.Record(Reply(1800000000 + i, i, arguments[1]));
    ::CloseHandle(ready);
    ::CloseHandle(start);
    return 0;
}
const HelperMode adding("history-add", AddRecords);

}  // namespace

TEST(HistoryBook, ATornFileIsWrittenAnewAndTheFileNeverHoldsMuchMoreThanTwoDays)
{
    const std::wstring path = TempFilePath(L"prodle-history-test.dat");
    const std::string whole = "1700000000\tlocalhost\t127.0.0.1\treply\t38\r\n";
    // Megabytes no book wrote before it (read from the file's end), then a record, a damaged line and a
    // record torn in its reply time.
    WriteText(path, std::string(3 << 20, 'x') + "\r\n" + whole + "\x01garbage\r\n" +
                        whole.substr(0, whole.size() - 3));
    int added = 0;
    {
        HistoryBook book(path);
        EXPECT_EQ(book.Records().size(), 1u);
        EXPECT_EQ(book.Skipped(), 3u);
        EXPECT_EQ(FileContents(path), whole) << "written anew with what was whole";

        book.OnAdded([&added] { ++added; });
        for (int i = 1; i <= static_cast<int>(3 * kHistoryLength); ++i) {
            book.Record(Reply(1700000000 + i * 60, i));
            ASSERT_LE(Lines(FileContents(path)), 2 * kHistoryLength) << "after record " << i;
        }
        EXPECT_EQ(book.Records().size(), kHistoryLength);
    }
    EXPECT_EQ(added, static_cast<int>(3 * kHistoryLength));
    const HistoryBook again(path);
    ASSERT_EQ(again.Records().size(), kHistoryLength);
    EXPECT_EQ(again.Records().back().replyMs, static_cast<int>(3 * kHistoryLength)) << "the newest kept";
    EXPECT_EQ(again.Skipped(), 0u);
    ::DeleteFileW(path.c_str());
}

TEST(HistoryBook, TwoProdlesOfTheUserAddToTheFileAtOnceAndEachRecordIsThereOnce)
{
    const std::wstring path = TempFilePath(L"prodle-history-two.dat");
    // A day in the file: halfway through the writers' 2,000 records it holds two, and is written anew.
    WriteText(path, ADayOf("yesterday"));
    const HANDLE start = ::CreateEventA(nullptr, TRUE, FALSE, EventName().c_str());
    const int count = 1000;
    ProdleProcess writers[2];
    HANDLE ready[2];
    for (int w = 0; w < 2; ++w) {
        const std::string host = "writer" + std::to_string(w);
        ready[w] = ::CreateEventA(nullptr, TRUE, FALSE, EventName(host).c_str());
        ASSERT_TRUE(writers[w].Start("--helper history-add \"" + std::string(path.begin(), path.end()) +
                                         "\" " + host + " " + std::to_string(count),
                                     TestProgramPath()));
    }
    // Both have read the file before either adds to it.
    ASSERT_EQ(::WaitForMultipleObjects(2, ready, TRUE, 30000), WAIT_OBJECT_0);
    ::SetEvent(start);
    for (ProdleProcess& writer : writers)
        ASSERT_EQ(writer.WaitForExit(120000), 0);
    for (HANDLE event : {start, ready[0], ready[1]})
        ::CloseHandle(event);

    std::map<std::string, std::vector<int>> added;
    size_t turns = 0, torn = 0;
    std::string previous;
    const std::string text = FileContents(path);
    for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
        const std::optional<ProdleRecord> record = ParseRecord(text.substr(at, end - at));
        if (!record) {
            ++torn;
            continue;
        }
        added[record->host].push_back(record->replyMs);
        turns += !previous.empty() && record->host != previous;
        previous = record->host;
    }
    EXPECT_EQ(torn, 0u);
    EXPECT_EQ(added.count("yesterday"), 0u) << "the file was written anew";
    std::vector<int> each(count);
    std::iota(each.begin(), each.end(), 0);
    for (const std::string host : {"writer0", "writer1"})
        EXPECT_EQ(added[host], each) << host << ": " << added[host].size() << " records";
    EXPECT_GE(turns, 2u) << "the writers took turns: they ran at once";
    ::DeleteFileW(path.c_str());
}

TEST(HistoryBook, WritingAnewCutOrFailedAtAnyStepLeavesTheOldFileOrTheNewOneWholeAndLosesNoRecord)
{
    const std::wstring folder = TempFilePath(L"prodle-history-cut\\");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"history.dat";
    // Two days, written anew with the last one as the book reads them.
    const std::string old = ADayOf("yesterday") + ADayOf("today");
    const std::string anew = ADayOf("today");
    const std::string added = ReplyLine(1900000000, 5);
    const auto named = [&](const std::set<std::string>& files) {
        std::set<std::string> names;
        for (const std::string& file : files)
            names.insert(file == old    ? "old"
                         : file == anew ? "anew"
                                        : std::to_string(file.size()) + " bytes");
        return names;
    };
    int steps = 0;
    for (int failing = -1; failing < steps; ++failing) {
        WriteText(path, old);
        PowerCut disk(folder);
        disk.Existing(path, old, true);
        disk.FailStep(failing);
        std::set<std::string> left;
        disk.AfterEachStep([&] {
            for (const std::string& name : named(disk.Leaves(path)))
                left.insert(name);
        });
        {
            HistoryBook book(path);
            book.Record(Reply(1900000000, 5));
        }
        const std::string run =
            failing < 0 ? "nothing failing" : "step " + std::to_string(failing) + " failing";
        EXPECT_EQ(left, (std::set<std::string>{"old", "anew"})) << "what a cut at a step may leave, " << run;
        EXPECT_EQ(named(disk.Leaves(path)), std::set<std::string>{"anew"})
            << "on the disk once written, " << run;
        EXPECT_TRUE(FileContents(path) == anew + added) << run;
        if (failing < 0)
            steps = disk.StepsThatWriteAnew();
    }
    EXPECT_GE(steps, 4) << "made, written, flushed and moved";
    ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

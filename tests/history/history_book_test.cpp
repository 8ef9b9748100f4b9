// The history's file: a torn or damaged one is read for what is whole in it and written anew, records are
// added at its end, and it never holds much more than two days of them.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "history/history_book.h"
#include "support/program.h"

namespace {

size_t Lines(const std::string& text)
{
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

ProdleRecord Reply(int64_t at, int ms)
{
    ProdleRecord record;
    record.startedAt = at;
    record.host = "localhost";
    record.address = "127.0.0.1";
    record.replyMs = ms;
    return record;
}

}  // namespace

TEST(HistoryBook, ATornFileIsWrittenAnewAndTheFileNeverHoldsMuchMoreThanTwoDays)
{
    const std::wstring path = TempFilePath(L"prodle-history-test.dat");
    const std::string whole = FormatRecord(Reply(1700000000, 38)) + "\r\n";
    {
        std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
        // Megabytes no book wrote before it (read from the file's end), then a record, a damaged line and
        // a record torn in its reply time.
        file << std::string(3 << 20, 'x') << "\r\n"
             << whole << "\x01garbage\r\n"
             << whole.substr(0, whole.size() - 3);
    }
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

// The log: each line after the local date and time; at its size limit the file becomes the one old file
// and a new one begins; and a log that cannot be written is no error.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>

#include "form/file_journal.h"
#include "support/program.h"

namespace {

DWORD SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

}  // namespace

TEST(FileJournal, LinesAreStampedAndTheFileRollsOverKeepingOneOldFile)
{
    const std::wstring path = TempFilePath(L"prodle-journal-test.log");
    ::DeleteFileW(path.c_str());
    ::DeleteFileW((path + L".1").c_str());
    FileJournal journal(path);
    journal.Note("Start, host 127.0.0.1, every 25 minutes");
    EXPECT_TRUE(
        std::regex_match(FileContents(path), std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  "
                                                        "Start, host 127\\.0\\.0\\.1, every 25 minutes\r\n")))
        << FileContents(path);

    const std::string line(1000, 'x');
    for (int round = 0; round < 2; ++round) {
        while (SizeOf(path) < FileJournal::kLimitBytes)
            journal.Note(line);
        journal.Note("after the limit");
        EXPECT_GE(SizeOf(path + L".1"), FileJournal::kLimitBytes);
        EXPECT_LT(SizeOf(path), 100u) << "a new file begins";
        EXPECT_NE(FileContents(path).find("after the limit"), std::string::npos);
    }
    ::DeleteFileW(path.c_str());
    ::DeleteFileW((path + L".1").c_str());

    FileJournal nowhere(TempFilePath(L"no-such-folder\\prodle.log"));
    nowhere.Note("lost, quietly");
    EXPECT_EQ(SizeOf(nowhere.Path()), 0u);
}

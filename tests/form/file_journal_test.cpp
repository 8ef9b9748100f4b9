// The log: each line after the local date and time; at its size limit the file becomes the one old file
// and a new one begins; and a log that cannot be written is no error.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>

#include "form/file_journal.h"
#include "support/program.h"

namespace {

DWORD SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

}  // namespace

TEST(FileJournal, LinesAreStampedAndTheFileRollsOverKeepingOneOldFile)
{
    char folder[MAX_PATH];
    ::GetTempPathA(sizeof folder, folder);
    const std::string path = std::string(folder) + "prodle-journal-test.log";
    ::DeleteFileA(path.c_str());
    ::DeleteFileA((path + ".1").c_str());
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
        EXPECT_GE(SizeOf(path + ".1"), FileJournal::kLimitBytes);
        EXPECT_LT(SizeOf(path), 100u) << "a new file begins";
        EXPECT_NE(FileContents(path).find("after the limit"), std::string::npos);
    }
    ::DeleteFileA(path.c_str());
    ::DeleteFileA((path + ".1").c_str());

    FileJournal nowhere(std::string(folder) + "no-such-folder\\prodle.log");
    nowhere.Note("lost, quietly");
    EXPECT_EQ(SizeOf(nowhere.Path()), 0u);
}

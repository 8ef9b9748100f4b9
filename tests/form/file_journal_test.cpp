// The log: each line after the local date and time; at its size limit the file, flushed, becomes the
// one old file and a new one begins; a log that cannot be written is no error; and the log and the
// history live in the user's folder whatever letters its name has.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>

#include "form/file_journal.h"
#include "history/history_book.h"
#include "support/power_cut.h"
#include "support/program.h"

namespace {

DWORD SizeOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// The user's "Local AppData" shell folder value in a key, put back as it was when this goes.
class ShellFolderKept {
public:
    explicit ShellFolderKept(const wchar_t* key)
    {
        const std::wstring path =
            std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\") + key;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                          nullptr);
        m_present = ::RegQueryValueExW(m_key, kValue, nullptr, &m_type, m_data, &m_size) == ERROR_SUCCESS;
    }
    ~ShellFolderKept()
    {
        m_present ? ::RegSetValueExW(m_key, kValue, 0, m_type, m_data, m_size)
                  : ::RegDeleteValueW(m_key, kValue);
        ::RegCloseKey(m_key);
    }
    // Windows and Wine read the folder from "User Shell Folders", and note it in "Shell Folders".
    void Set(const std::wstring& folder) const
    {
        ::RegSetValueExW(m_key, kValue, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    void Remove() const { ::RegDeleteValueW(m_key, kValue); }

private:
    static constexpr const wchar_t* kValue = L"Local AppData";
    HKEY m_key = nullptr;
    bool m_present = false;
    DWORD m_type = 0;
    BYTE m_data[2048] = {};
    DWORD m_size = sizeof m_data;
};

}  // namespace

TEST(FileJournal, LinesAreStampedAndTheFileRollsOverFlushedKeepingOneOldFile)
{
    const std::wstring folder = TempFilePath(L"prodle-journal-test\\");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"prodle.log";
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
        const std::string full = FileContents(path);
        {
            PowerCut disk(folder);
            disk.Existing(path, full, false);  // what the log's lines wrote may not have reached the disk
            journal.Note("after the limit");
            EXPECT_TRUE(disk.Leaves(path + L".1") == std::set<std::string>{full})
                << "on the disk once moved aside";
        }
        EXPECT_TRUE(FileContents(path + L".1") == full);
        EXPECT_LT(SizeOf(path), 100u) << "a new file begins";
        EXPECT_NE(FileContents(path).find("after the limit"), std::string::npos);
    }
    ::DeleteFileW(path.c_str());
    ::DeleteFileW((path + L".1").c_str());
    ::RemoveDirectoryW(folder.c_str());

    FileJournal nowhere(folder + L"no-such-folder\\prodle.log");
    nowhere.Note("lost, quietly");
    EXPECT_EQ(SizeOf(nowhere.Path()), 0u);
}

TEST(FileJournal, TheLogAndTheHistoryLiveInAUserFolderNamedInAnyLetters)
{
    // Cyrillic and CJK letters, which the ANSI code page (1252 here) cannot hold.
    const std::wstring stored = L"%USERPROFILE%\\\u0414\u0430\u043d\u043d\u044b\u0435 \u6570\u636e";
    wchar_t folder[MAX_PATH] = {};
    ::ExpandEnvironmentStringsW(stored.c_str(), folder, MAX_PATH);
    const std::wstring own = folder + std::wstring(L"\\Prodle\\");
    {
        const ShellFolderKept user(L"User Shell Folders"), noted(L"Shell Folders");
        user.Set(stored);
        noted.Remove();
        {
            FileJournal journal;
            EXPECT_EQ(journal.Path(), own + L"prodle.log");
            journal.Note("Start, host 127.0.0.1, every 25 minutes");
            HistoryBook book;
            EXPECT_EQ(book.Path(), own + L"history.dat");
            book.Record({1700000000, "localhost", "127.0.0.1", ProdleOutcome::Reply, 38});
        }
        EXPECT_NE(FileContents(own + L"prodle.log").find("Start, host 127.0.0.1"), std::string::npos);
        const HistoryBook again;
        ASSERT_EQ(again.Records().size(), 1u);
        EXPECT_EQ(again.Records()[0].startedAt, 1700000000);
    }
    ::DeleteFileW((own + L"prodle.log").c_str());
    ::DeleteFileW((own + L"history.dat").c_str());
    ::RemoveDirectoryW(own.c_str());
    ::RemoveDirectoryW(folder);
}

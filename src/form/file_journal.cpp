#include "form/file_journal.h"

#include <cstdio>

#include "framework/local_folder.h"

namespace {

std::wstring PathInOwnFolder()
{
    const std::wstring own = OwnLocalFolder(L"Prodle");
    return own.empty() ? own : own + L"\\prodle.log";
}

}  // namespace

FileJournal::FileJournal() : m_file(PathInOwnFolder())
{
}

void FileJournal::Note(const std::string& line)
{
    if (Path().empty())
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u  ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    // Under the lock, the size seen is the size rolled over: two Prodles never both move the log aside.
    const SharedFile::Lock lock(m_file);
    if (m_file.Size().value_or(0) >= kLimitBytes)
        m_file.MoveTo(Path() + L".1");
    m_file.Append(stamp + line + "\r\n");
}

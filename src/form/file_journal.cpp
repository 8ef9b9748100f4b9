#include "form/file_journal.h"

#include <cstdio>

#include "framework/kernel_handle.h"
#include "framework/local_folder.h"

FileJournal::FileJournal()
{
    const std::string own = OwnLocalFolder("Prodle");
    if (own.empty())
        return;
    m_path = own + "\\prodle.log";
}

void FileJournal::Note(const std::string& line)
{
    if (m_path.empty())
        return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u  ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    const std::string text = stamp + line + "\r\n";
    KernelHandle file;
    const auto open = [this, &file] {
        const HANDLE handle = ::CreateFileA(m_path.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        file.Reset(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
        return static_cast<bool>(file);
    };
    if (!open())
        return;
    if (::GetFileSize(file.Get(), nullptr) >= kLimitBytes) {
        file.Reset();
        ::MoveFileExA(m_path.c_str(), (m_path + ".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        if (!open())
            return;
    }
    DWORD written = 0;
    ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

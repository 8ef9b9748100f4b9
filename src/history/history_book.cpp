#include "history/history_book.h"

#include <windows.h>

#include <algorithm>

#include "framework/kernel_handle.h"
#include "framework/local_folder.h"

namespace {

// More than the book ever writes (twice a day's lines at their longest): a larger file was not written
// by it, and only its end is read.
constexpr LONGLONG kReadLimitBytes = 2 * 1024 * 1024;

// The file opened, or an empty handle.
KernelHandle OpenFile(const std::string& path, DWORD access, DWORD disposition)
{
    const HANDLE file = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteAll(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    return ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

HistoryBook::HistoryBook()
{
    const std::string own = OwnLocalFolder("Prodle");
    if (own.empty())
        return;
    m_path = own + "\\history.dat";
    Load();
}

HistoryBook::HistoryBook(std::string path) : m_path(std::move(path))
{
    Load();
}

int64_t HistoryBook::Now()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100 ns steps since 1601.
    return static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

void HistoryBook::Load()
{
    std::string text;
    {
        // Closed before the file is written anew: Windows replaces no file that is open.
        KernelHandle file = OpenFile(m_path, GENERIC_READ, OPEN_EXISTING);
        LARGE_INTEGER size = {};
        if (!file || !::GetFileSizeEx(file.Get(), &size))
            return;
        LARGE_INTEGER start = {};
        start.QuadPart = std::max<LONGLONG>(0, size.QuadPart - kReadLimitBytes);
        text.resize(static_cast<size_t>(size.QuadPart - start.QuadPart));
        DWORD read = 0;
        if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) ||
            (!text.empty() &&
             !::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr)))
            return;
        text.resize(read);
    }
    ParsedHistory history = ParseHistory(text);
    m_records = std::move(history.records);
    m_skipped = history.skipped;
    m_linesInFile = m_records.size() + history.dropped;
    // Damaged lines are written out of the file, and so are the records beyond a day's.
    if (history.skipped > 0 || history.dropped > 0)
        Rewrite();
}

void HistoryBook::Record(const ProdleRecord& record)
{
    AddToHistory(&m_records, record);
    // At twice a day's lines the file is written anew with the day kept; else the record is added.
    if (!m_path.empty() && !(m_linesInFile >= 2 * kHistoryLength && Rewrite())) {
        const KernelHandle file = OpenFile(m_path, FILE_APPEND_DATA, OPEN_ALWAYS);
        if (file)
            WriteAll(file.Get(), FormatRecord(record) + "\r\n");
        ++m_linesInFile;
    }
    if (m_added)
        m_added();
}

bool HistoryBook::Rewrite()
{
    if (m_path.empty())
        return false;
    // Written beside it and put in its place, so that a crash halfway leaves one whole file.
    const std::string fresh = m_path + ".new";
    std::string text;
    for (const ProdleRecord& record : m_records)
        text += FormatRecord(record) + "\r\n";
    {
        const KernelHandle file = OpenFile(fresh, GENERIC_WRITE, CREATE_ALWAYS);
        if (!file || !WriteAll(file.Get(), text))
            return false;
    }
    if (!::MoveFileExA(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    m_linesInFile = m_records.size();
    return true;
}

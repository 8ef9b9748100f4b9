#include "history/history_book.h"

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>

HistoryBook::HistoryBook()
{
    char folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return;
    const std::string own = std::string(folder) + "\\Prodle";
    ::CreateDirectoryA(own.c_str(), nullptr);
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
    std::ostringstream text;
    {
        // Closed before the file is written anew: Windows replaces no file that is open.
        std::ifstream file(m_path, std::ios::binary);
        if (!file)
            return;
        text << file.rdbuf();
    }
    const ParsedHistory history = ParseHistory(text.str());
    m_records = history.records;
    m_skipped = history.skipped;
    m_linesInFile = history.records.size() + history.dropped;
    // Damaged lines are written out of the file, and so are the records beyond a day's.
    if (history.skipped > 0 || history.dropped > 0)
        Rewrite();
}

void HistoryBook::Record(const ProdleRecord& record)
{
    AddToHistory(&m_records, record);
    // At twice a day's lines the file is written anew with the day kept; else the record is added.
    if (!m_path.empty() && !(m_linesInFile >= 2 * kHistoryLength && Rewrite())) {
        std::ofstream file(m_path, std::ios::binary | std::ios::app);
        file << FormatRecord(record) << "\r\n";
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
    {
        std::ofstream file(fresh, std::ios::binary | std::ios::trunc);
        for (const ProdleRecord& record : m_records)
            file << FormatRecord(record) << "\r\n";
        file.close();
        if (!file)
            return false;
    }
    if (!::MoveFileExA(fresh.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return false;
    m_linesInFile = m_records.size();
    return true;
}

#include "history/history_book.h"

#include <windows.h>

#include <algorithm>

#include "framework/local_folder.h"

namespace {

// More than the book ever writes (twice a day's lines at their longest): a larger file was not written
// by it, and only its end is read.
constexpr uint64_t kReadLimitBytes = 2 * 1024 * 1024;
// A size no file has: its lines are counted anew.
constexpr uint64_t kUncounted = ~0ULL;

std::wstring PathInOwnFolder()
{
    const std::wstring own = OwnLocalFolder(L"Prodle");
    return own.empty() ? own : own + L"\\history.dat";
}

size_t Lines(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

HistoryBook::HistoryBook() : HistoryBook(PathInOwnFolder())
{
}

HistoryBook::HistoryBook(std::wstring path) : m_file(std::move(path))
{
    Load();
}

void HistoryBook::Load()
{
    if (Path().empty())
        return;
    const SharedFile::Lock lock(m_file);
    const std::optional<std::string> text = m_file.ReadEnd(kReadLimitBytes);
    if (!text)
        return;
    ParsedHistory history = ParseHistory(*text);
    m_records = std::move(history.records);
    m_skipped = history.skipped;
    m_linesInFile = Lines(*text);
    m_sizeCounted = m_file.Size().value_or(kUncounted);
    // Damaged lines are written out of the file, and so are the records beyond a day's.
    if (history.skipped > 0 || history.dropped > 0)
        Rewrite(m_records);
}

void HistoryBook::FollowFile()
{
    const uint64_t size = m_file.Size().value_or(0);
    if (size == m_sizeCounted)
        return;
    m_linesInFile = Lines(m_file.ReadEnd(kReadLimitBytes).value_or(std::string()));
    m_sizeCounted = size;
}

void HistoryBook::Record(const ProdleRecord& record)
{
    AddToHistory(&m_records, record);
    if (!Path().empty()) {
        const SharedFile::Lock lock(m_file);
        FollowFile();
        // At twice a day's lines the file is written anew with the last day's records as the file has
        // them (other Prodles' among them); a file that cannot be written anew is added to all the same.
        if (m_linesInFile >= 2 * kHistoryLength)
            if (const std::optional<std::string> text = m_file.ReadEnd(kReadLimitBytes))
                Rewrite(ParseHistory(*text).records);
        const std::string line = FormatRecord(record) + "\r\n";
        if (m_file.Append(line)) {
            ++m_linesInFile;
            m_sizeCounted += line.size();
        } else {
            m_sizeCounted = kUncounted;
        }
    }
    if (m_added)
        m_added();
}

void HistoryBook::Rewrite(const std::vector<ProdleRecord>& kept)
{
    std::string text;
    for (const ProdleRecord& record : kept)
        text += FormatRecord(record) + "\r\n";
    if (!m_file.Replace(text))
        return;
    m_linesInFile = kept.size();
    m_sizeCounted = text.size();
}

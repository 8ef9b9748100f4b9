// The history of the recent prodles, kept across restarts: the last 1,440 outcomes in the user's local
// application data folder (%LOCALAPPDATA%\Prodle\history.dat, one line each), read once at start and
// added to as prodles end. A torn or damaged file stops nothing: its bad lines are skipped and counted,
// and the file is written anew. The file never holds much more than two days: when it has twice as many
// lines as are kept, it is written anew with the last day's. The user's Prodles in other sessions add
// to the same file: what the book shows is its own and what the file held when it was read, and the
// file's lines are counted and kept with theirs.
#ifndef PRODLE_HISTORY_HISTORY_BOOK_H
#define PRODLE_HISTORY_HISTORY_BOOK_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/ports.h"
#include "framework/shared_file.h"
#include "history/rules/history.h"

// The engine's history port: each prodle that ends is added.
class HistoryBook : public History {
public:
    // The book in the user's local application data folder.
    HistoryBook();
    // The book at this path, whose folder exists; an empty path keeps it in memory only.
    explicit HistoryBook(std::wstring path);

    const std::vector<ProdleRecord>& Records() const { return m_records; }
    // Lines of the file that were no record when it was read.
    size_t Skipped() const { return m_skipped; }
    const std::wstring& Path() const { return m_file.Path(); }

    void Record(const ProdleRecord& record) override;
    // Told after each record added (the History window, while it is open).
    void OnAdded(std::function<void()> added) { m_added = std::move(added); }

private:
    void Load();
    // These two run while the file's lock is held.
    // The count of the file's lines, after what other Prodles of the user added or wrote anew.
    void FollowFile();
    // The file written anew with these records (where that fails, it stays as it was).
    void Rewrite(const std::vector<ProdleRecord>& kept);

    SharedFile m_file;
    std::vector<ProdleRecord> m_records;
    size_t m_skipped = 0;
    size_t m_linesInFile = 0;
    uint64_t m_sizeCounted = 0;  // the file's size when its lines were counted
    std::function<void()> m_added;
};

#endif

// The history of the recent prodles, kept across restarts: the last 1,440 outcomes in the user's local
// application data folder (%LOCALAPPDATA%\Prodle\history.dat, one line each), read once at start and
// added to as prodles end. A torn or damaged file stops nothing: its bad lines are skipped and counted,
// and the file is written anew. The file never holds much more than a day: when it has twice as many
// lines as are kept, it is written anew with the kept ones.
#ifndef PRODLE_HISTORY_HISTORY_BOOK_H
#define PRODLE_HISTORY_HISTORY_BOOK_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/ports.h"
#include "history/rules/history.h"

// The engine's history port: each prodle that ends is added.
class HistoryBook : public History {
public:
    // The book in the user's local application data folder.
    HistoryBook();
    // The book at this path, whose folder exists.
    explicit HistoryBook(std::string path);

    const std::vector<ProdleRecord>& Records() const { return m_records; }
    // Lines of the file that were no record when it was read.
    size_t Skipped() const { return m_skipped; }
    const std::string& Path() const { return m_path; }

    void Record(const ProdleRecord& record) override;
    // Told after each record added (the History window, while it is open).
    void OnAdded(std::function<void()> added) { m_added = std::move(added); }

    // Seconds since 1970 (UTC), now.
    static int64_t Now();

private:
    void Load();
    // The kept records, written beside the file and put in its place: false where that failed.
    bool Rewrite();

    std::string m_path;
    std::vector<ProdleRecord> m_records;
    size_t m_skipped = 0;
    size_t m_linesInFile = 0;
    std::function<void()> m_added;
};

#endif

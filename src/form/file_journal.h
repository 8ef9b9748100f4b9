// The program's log, for the day something goes wrong: one line per start, stop, failure, sleep and
// wake, change of network, wait for the network, settings that could not be stored, and exit, each after
// the local date and time. It lives in the user's local application data folder
// (%LOCALAPPDATA%\Prodle\prodle.log), where the user's Prodles in other sessions add their lines; at about
// 256 KB it becomes prodle.log.1, the one before that goes, and a new one begins. A log that cannot be
// written stops nothing: its lines are lost, quietly.
#ifndef PRODLE_FORM_FILE_JOURNAL_H
#define PRODLE_FORM_FILE_JOURNAL_H

#include <windows.h>

#include <string>

#include "engine/ports.h"
#include "framework/shared_file.h"

class FileJournal : public Journal {
public:
    static constexpr DWORD kLimitBytes = 256 * 1024;

    // The log in the user's local application data folder.
    FileJournal();
    // The log at this path, whose folder exists.
    explicit FileJournal(std::wstring path) : m_file(std::move(path)) {}

    void Note(const std::string& line) override;
    const std::wstring& Path() const { return m_file.Path(); }

private:
    SharedFile m_file;
};

#endif

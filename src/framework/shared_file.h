// A file that the programs of one user, in any of the user's sessions (a remote desktop beside the
// console), append to at once and now and then write anew or move aside: a history, a log.
// - An append is one write at the file's end, so the lines of two writers never interleave.
// - A writer holds the file open for one append only, and shares it for reading and writing but not for
//   deleting: nothing can replace or move the file while a write is in flight (Windows refuses to
//   replace an open file anyway, and a file whose writer shared deletion would be moved away from under
//   its write).
// - Writing anew goes to a file beside it, which is flushed to the disk and then put in the old one's
//   place by one rename, itself written through: at any moment a power cut leaves the old file or the new
//   one, whole.
// - The lock keeps the other writers of the same file out while one reads, decides and writes, so that
//   nothing is added to a file between its reading and its replacement.
#ifndef PRODLE_FRAMEWORK_SHARED_FILE_H
#define PRODLE_FRAMEWORK_SHARED_FILE_H

#include <cstdint>
#include <optional>
#include <string>

#include "framework/kernel_handle.h"

class SharedFile {
public:
    // An empty path names no file: nothing is read or written.
    explicit SharedFile(std::wstring path);

    const std::wstring& Path() const { return m_path; }

    // While one lives, the locks of the same file in every process of the user wait (a bounded time:
    // a lock not had after it goes on without, as a lone writer would).
    class Lock {
    public:
        explicit Lock(const SharedFile& file);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        HANDLE m_held = nullptr;
    };

    // Its size in bytes; nothing when it is missing.
    std::optional<uint64_t> Size() const;
    // Its last `limit` bytes (all of it when smaller); nothing when it cannot be read.
    std::optional<std::string> ReadEnd(uint64_t limit) const;
    // The text at its end in one write, the file made when missing: false unless all of it went in.
    bool Append(const std::string& text) const;
    // The file written anew with the text: false, and the old file as it was, where that failed.
    bool Replace(const std::string& text) const;
    // The file flushed and renamed to `other`, in place of what had that name: false where that failed.
    bool MoveTo(const std::wstring& other) const;

private:
    std::wstring m_path;
    KernelHandle m_mutex;
};

#endif

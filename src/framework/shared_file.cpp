#include "framework/shared_file.h"

#include <windows.h>

namespace {

// Longer than any rewrite on a slow disk; a writer that held the lock longer is stuck, and is not waited for.
constexpr DWORD kLockWaitMs = 3000;
constexpr DWORD kAppendAndRead = FILE_SHARE_READ | FILE_SHARE_WRITE;
// Renamed as one step of the file system's journal, and on the disk before the call returns.
constexpr DWORD kOneStep = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

KernelHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
{
    const HANDLE file =
        ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool WriteAll(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    return ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// One name per file for every session of the user (the "Global\" namespace; a mutex there needs no
// privilege), from the path: the writers of a file meet there, and other files' writers do not.
std::wstring LockName(const std::wstring& path)
{
    uint64_t hash = 14695981039346656037ULL;  // 64-bit FNV-1a
    for (const wchar_t c : path) {
        hash ^= static_cast<uint16_t>(c);
        hash *= 1099511628211ULL;
    }
    std::wstring name = L"Global\\SharedFile.";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

}  // namespace

SharedFile::SharedFile(std::wstring path) : m_path(std::move(path))
{
    // Where the mutex cannot be had (the name taken by an object of another user), writes go on without.
    if (!m_path.empty())
        m_mutex.Reset(::CreateMutexW(nullptr, FALSE, LockName(m_path).c_str()));
}

SharedFile::Lock::Lock(const SharedFile& file)
{
    // An abandoned lock (a writer ended halfway) is had all the same: the file is whole at every step.
    const HANDLE mutex = file.m_mutex.Get();
    const DWORD waited = mutex ? ::WaitForSingleObject(mutex, kLockWaitMs) : WAIT_FAILED;
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        m_held = mutex;
}

SharedFile::Lock::~Lock()
{
    if (m_held)
        ::ReleaseMutex(m_held);
}

std::optional<uint64_t> SharedFile::Size() const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (m_path.empty() || !::GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> SharedFile::ReadEnd(uint64_t limit) const
{
    const KernelHandle file = Open(m_path, GENERIC_READ, kAppendAndRead, OPEN_EXISTING);
    LARGE_INTEGER size = {};
    if (!file || !::GetFileSizeEx(file.Get(), &size))
        return std::nullopt;
    LARGE_INTEGER start = {};
    start.QuadPart = size.QuadPart > static_cast<LONGLONG>(limit) ? size.QuadPart - limit : 0;
    std::string text(static_cast<size_t>(size.QuadPart - start.QuadPart), '\0');
    DWORD read = 0;
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) ||
        (!text.empty() && !::ReadFile(file.Get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr)))
        return std::nullopt;
    text.resize(read);
    return text;
}

bool SharedFile::Append(const std::string& text) const
{
    // Appending alone (no FILE_WRITE_DATA): Windows puts every write at the end as the file is then.
    const KernelHandle file = Open(m_path, FILE_APPEND_DATA, kAppendAndRead, OPEN_ALWAYS);
    return file && WriteAll(file.Get(), text);
}

bool SharedFile::Replace(const std::string& text) const
{
    if (m_path.empty())
        return false;
    const std::wstring fresh = m_path + L".new";
    bool written = false;
    {
        const KernelHandle file = Open(fresh, GENERIC_WRITE, 0, CREATE_ALWAYS);
        // On the disk before its name is: the rename is journaled, the data are not.
        written = file && WriteAll(file.Get(), text) && ::FlushFileBuffers(file.Get());
    }
    // MoveFileEx rather than ReplaceFile: ReplaceFile moves the old file aside first, and where its
    // second step fails no file is left under the name.
    if (written && ::MoveFileExW(fresh.c_str(), m_path.c_str(), kOneStep))
        return true;
    ::DeleteFileW(fresh.c_str());
    return false;
}

bool SharedFile::MoveTo(const std::wstring& other) const
{
    {
        const KernelHandle file = Open(m_path, GENERIC_WRITE, kAppendAndRead, OPEN_EXISTING);
        if (!file || !::FlushFileBuffers(file.Get()))
            return false;
    }
    return ::MoveFileExW(m_path.c_str(), other.c_str(), kOneStep) != FALSE;
}

#include "app/single_instance.h"

#include <sddl.h>

#include <vector>

namespace {

constexpr DWORD kAnswerMs = 5000;  // for the whole request: finding the frame and its answer
constexpr DWORD kExitMs = 10000;
constexpr DWORD kRetryMs = 50;

// A view of a file mapping, unmapped when it goes out of scope.
class MappedView {
public:
    MappedView(HANDLE mapping, DWORD access) : m_view(::MapViewOfFile(mapping, access, 0, 0, sizeof(LONG))) {}
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    ~MappedView()
    {
        if (m_view)
            ::UnmapViewOfFile(m_view);
    }
    // The published process id.
    volatile LONG* ProcessId() const { return static_cast<volatile LONG*>(m_view); }

private:
    void* m_view;
};

// The user's SID as text ("S-1-5-21-..."): it tells users apart where their names need not (a user
// renamed, a local and a domain user of the same name). Empty when the token cannot be read.
std::string UserSid()
{
    KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
        return std::string();
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    char* text = nullptr;
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return std::string();
    std::string sid(text);
    ::LocalFree(text);
    return sid;
}

const std::string& TheUserSid()
{
    static const std::string sid = UserSid();
    return sid;
}

struct FrameSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK NoteFrameOfProcess(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<FrameSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    if (owner != search->processId || !::GetClassNameA(window, className, sizeof className) ||
        ::lstrcmpA(className, search->className) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The top-level window of that class that the process owns, if it has made it.
HWND FrameOfProcess(DWORD processId, const char* className)
{
    FrameSearch search{processId, className, nullptr};
    ::EnumWindows(NoteFrameOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

CSingleInstance::CSingleInstance(const char* appName)
    : m_mutexName(std::string("Local\\") + appName + ".Running." + TheUserSid()),
      m_mappingName(std::string("Local\\") + appName + ".Process." + TheUserSid())
{
}

UINT CSingleInstance::Message()
{
    static const UINT message =
        ::RegisterWindowMessageA(("Prodle.SingleInstance.Request." + TheUserSid()).c_str());
    return message;
}

bool CSingleInstance::Claim()
{
    if (m_mutex)
        return true;
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, m_mutexName.c_str());
    const DWORD error = ::GetLastError();
    m_mutex.Reset(mutex);
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        m_mutex.Reset();
        return false;
    }
    if (!mutex)
        return error != ERROR_ACCESS_DENIED;  // held by a process we may not open; else: run unguarded
    // Published after the mutex is held: a later start that finds the mutex waits for the id.
    m_mapping.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG),
                                         m_mappingName.c_str()));
    if (m_mapping) {
        const MappedView view(m_mapping.Get(), FILE_MAP_WRITE);
        if (view.ProcessId())
            ::InterlockedExchange(view.ProcessId(), static_cast<LONG>(::GetCurrentProcessId()));
    }
    return true;
}

void CSingleInstance::Release()
{
    m_mapping.Reset();
    m_mutex.Reset();
}

bool CSingleInstance::IsHeld() const
{
    KernelHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, m_mutexName.c_str()));
    return mutex || ::GetLastError() == ERROR_ACCESS_DENIED;
}

DWORD CSingleInstance::PublishedProcessId() const
{
    KernelHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, m_mappingName.c_str()));
    if (!mapping)
        return 0;
    const MappedView view(mapping.Get(), FILE_MAP_READ);
    return view.ProcessId() ? static_cast<DWORD>(*view.ProcessId()) : 0;
}

CSingleInstance::Outcome CSingleInstance::Send(Request request, const char* frameClass) const
{
    const DWORD start = ::GetTickCount();
    DWORD processId = 0;
    HWND frame = nullptr;
    while (!(processId = PublishedProcessId()) || !(frame = FrameOfProcess(processId, frameClass))) {
        if (!IsHeld())
            return Outcome::NoneRunning;
        if (::GetTickCount() - start >= kAnswerMs)
            return Outcome::NoAnswer;
        ::Sleep(kRetryMs);
    }
    // This process was started by the user and may take the foreground; the running one may not
    // unless it is allowed to.
    ::AllowSetForegroundWindow(processId);
    KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    const DWORD spent = ::GetTickCount() - start;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(frame, Message(), request, 0, SMTO_ABORTIFHUNG,
                               spent < kAnswerMs ? kAnswerMs - spent : 1, &answer) ||
        !answer)
        return IsHeld() ? Outcome::NoAnswer : Outcome::NoneRunning;
    if (request != kExit)
        return Outcome::Done;
    return process && ::WaitForSingleObject(process.Get(), kExitMs) == WAIT_OBJECT_0 ? Outcome::Done
                                                                                     : Outcome::NoAnswer;
}

#include "app/single_instance.h"

#include <sddl.h>

#include <vector>

namespace {

constexpr DWORD kExitMs = 10000;
constexpr DWORD kRetryMs = 50;

// A view of a file mapping, unmapped when it goes out of scope.
struct MappedViewTraits {
    using Handle = void*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle view) { ::UnmapViewOfFile(view); }
};
using MappedView = ScopedHandle<MappedViewTraits>;

// The published process id, in a view of the mapping (null when it cannot be mapped).
volatile LONG* ProcessIdIn(const MappedView& view)
{
    return static_cast<volatile LONG*>(view.Get());
}

void* MapProcessId(HANDLE mapping, DWORD access)
{
    return ::MapViewOfFile(mapping, access, 0, 0, sizeof(LONG));
}

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

// The objects are the user's alone (and SYSTEM's), whatever the token's default: an elevated token's
// default names only Administrators and SYSTEM, and the user's Prodle that is not elevated could then
// neither read the process id nor wait for the start-up of an elevated one (or the other way round).
class UserOnlySecurity {
public:
    UserOnlySecurity()
    {
        const std::string sddl = "D:(A;;GA;;;" + TheUserSid() + ")(A;;GA;;;SY)";
        if (!TheUserSid().empty() &&
            ::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                sddl.c_str(), SDDL_REVISION_1, &m_attributes.lpSecurityDescriptor, nullptr))
            m_attributes.nLength = sizeof m_attributes;
    }
    UserOnlySecurity(const UserOnlySecurity&) = delete;
    UserOnlySecurity& operator=(const UserOnlySecurity&) = delete;
    ~UserOnlySecurity() { ::LocalFree(m_attributes.lpSecurityDescriptor); }
    // Null (the token's default) when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return m_attributes.nLength ? &m_attributes : nullptr; }

private:
    SECURITY_ATTRIBUTES m_attributes = {};
};

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

CSingleInstance::CSingleInstance(const char* appName, Patience patience)
    : m_mutexName(std::string("Local\\") + appName + ".Running." + TheUserSid()),
      m_mappingName(std::string("Local\\") + appName + ".Process." + TheUserSid()),
      m_readyName(std::string("Local\\") + appName + ".Ready." + TheUserSid()), m_patience(patience)
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
    UserOnlySecurity security;
    HANDLE mutex = ::CreateMutexA(security.Attributes(), FALSE, m_mutexName.c_str());
    const DWORD error = ::GetLastError();
    m_mutex.Reset(mutex);
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        m_mutex.Reset();
        return false;
    }
    if (!mutex)
        return error != ERROR_ACCESS_DENIED;  // held by a process we may not open; else: run unguarded
    // Not ready yet, also where a later start still holds the event of a Prodle that has ended.
    m_ready.Reset(::CreateEventA(security.Attributes(), TRUE, FALSE, m_readyName.c_str()));
    if (m_ready)
        ::ResetEvent(m_ready.Get());
    // Published after the mutex is held and the event made: a later start that finds the mutex waits
    // for the id, and one that finds the id without the event has met a Prodle that makes none.
    m_mapping.Reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0,
                                         sizeof(LONG), m_mappingName.c_str()));
    if (m_mapping) {
        const MappedView view(MapProcessId(m_mapping.Get(), FILE_MAP_WRITE));
        if (view)
            ::InterlockedExchange(ProcessIdIn(view), static_cast<LONG>(::GetCurrentProcessId()));
    }
    return true;
}

void CSingleInstance::MarkReady()
{
    if (m_ready)
        ::SetEvent(m_ready.Get());
}

void CSingleInstance::Release()
{
    if (m_ready)
        ::ResetEvent(m_ready.Get());
    m_ready.Reset();
    m_mapping.Reset();
    m_mutex.Reset();
}

bool CSingleInstance::IsHeld() const
{
    KernelHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, m_mutexName.c_str()));
    return mutex || ::GetLastError() == ERROR_ACCESS_DENIED;
}

bool CSingleInstance::IsReady(DWORD waitMs) const
{
    KernelHandle ready(::OpenEventA(SYNCHRONIZE, FALSE, m_readyName.c_str()));
    if (ready)
        return ::WaitForSingleObject(ready.Get(), waitMs) == WAIT_OBJECT_0;
    // An id without the event: an older Prodle, ready once its frame is there.
    if (PublishedProcessId())
        return true;
    ::Sleep(waitMs);
    return false;
}

DWORD CSingleInstance::PublishedProcessId() const
{
    KernelHandle mapping(::OpenFileMappingA(FILE_MAP_READ, FALSE, m_mappingName.c_str()));
    if (!mapping)
        return 0;
    const MappedView view(MapProcessId(mapping.Get(), FILE_MAP_READ));
    return view ? static_cast<DWORD>(*ProcessIdIn(view)) : 0;
}

CSingleInstance::Outcome CSingleInstance::Send(Request request, const char* frameClass) const
{
    // A Prodle that is still starting is busy (its pause before the first prodle, its first box, a
    // slow disk at log-in) rather than hung: it is not asked before it is ready.
    const DWORD begin = ::GetTickCount();
    while (!IsReady(kRetryMs)) {
        if (!IsHeld())
            return Outcome::NoneRunning;
        if (::GetTickCount() - begin >= m_patience.startUpMs)
            return Outcome::NoAnswer;
    }
    const DWORD start = ::GetTickCount();
    DWORD processId = 0;
    HWND frame = nullptr;
    while (!(processId = PublishedProcessId()) || !(frame = FrameOfProcess(processId, frameClass))) {
        if (!IsHeld())
            return Outcome::NoneRunning;
        if (::GetTickCount() - start >= m_patience.answerMs)
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
                               spent < m_patience.answerMs ? m_patience.answerMs - spent : 1, &answer) ||
        !answer)
        return IsHeld() ? Outcome::NoAnswer : Outcome::NoneRunning;
    if (request != kExit)
        return Outcome::Done;
    return process && ::WaitForSingleObject(process.Get(), kExitMs) == WAIT_OBJECT_0 ? Outcome::Done
                                                                                     : Outcome::NoAnswer;
}

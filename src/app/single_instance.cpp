#include "app/single_instance.h"

#include <memory>

namespace {

constexpr DWORD kFindWindowMs = 5000;  // a Prodle that was just started may not have its frame yet
constexpr DWORD kAnswerMs = 5000;
constexpr DWORD kExitMs = 10000;

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::string UserName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? name : "";
}

}  // namespace

CSingleInstance::CSingleInstance(const char* appName)
    : m_name(std::string("Local\\") + appName + ".Running." + UserName())
{
}

UINT CSingleInstance::Message()
{
    static const UINT message = ::RegisterWindowMessageA("Prodle.SingleInstance.Request");
    return message;
}

bool CSingleInstance::Claim()
{
    if (m_mutex)
        return true;
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, m_name.c_str());
    const DWORD error = ::GetLastError();
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return false;
    }
    if (!mutex)
        return error != ERROR_ACCESS_DENIED;  // held under another account; anything else: run unguarded
    m_mutex = mutex;
    return true;
}

void CSingleInstance::Release()
{
    if (m_mutex)
        ::CloseHandle(m_mutex);
    m_mutex = nullptr;
}

bool CSingleInstance::IsHeld() const
{
    UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, m_name.c_str()));
    return mutex || ::GetLastError() == ERROR_ACCESS_DENIED;
}

bool CSingleInstance::Send(Request request, const char* frameClass) const
{
    const DWORD start = ::GetTickCount();
    HWND frame = ::FindWindowA(frameClass, nullptr);
    while (!frame) {
        if (!IsHeld() || ::GetTickCount() - start > kFindWindowMs)
            return false;
        ::Sleep(50);
        frame = ::FindWindowA(frameClass, nullptr);
    }
    DWORD processId = 0;
    ::GetWindowThreadProcessId(frame, &processId);
    // This process was started by the user and may take the foreground; the running one may not
    // unless it is allowed to.
    ::AllowSetForegroundWindow(processId);
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(frame, Message(), request, 0, SMTO_ABORTIFHUNG, kAnswerMs, &answer) || !answer)
        return false;
    return request != kExit || (process && ::WaitForSingleObject(process.get(), kExitMs) == WAIT_OBJECT_0);
}

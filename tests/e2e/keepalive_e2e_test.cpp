// The real program, started as a user would with auto-start on: its first prodle reaches a loopback
// server, and it ends when its main window is closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/loopback_server.h"
#include "support/registry.h"

namespace {

// The program to start: PRODLE_EXE (a Unix path under Wine is reached through drive Z:), else the
// prodle.exe beside this test program.
std::string ProgramPath()
{
    char buffer[MAX_PATH] = {};
    if (::GetEnvironmentVariableA("PRODLE_EXE", buffer, MAX_PATH) > 0) {
        std::string path = buffer;
        if (!path.empty() && path[0] == '/') {
            path = "Z:" + path;
            for (char& c : path)
                if (c == '/')
                    c = '\\';
        }
        return path;
    }
    ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path = buffer;
    return path.substr(0, path.find_last_of("\\/") + 1) + "prodle.exe";
}

// The program's main frame: hidden, but there. Only the one of the given process counts.
HWND MainFrameOf(DWORD processId)
{
    HWND frame = nullptr;
    while ((frame = ::FindWindowExA(nullptr, frame, "ProdleFrame", "Prodle")) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(frame, &owner);
        if (owner == processId)
            return frame;
    }
    return nullptr;
}

class Process {
public:
    explicit Process(const std::string& path)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + path + "\"";
        started_ = ::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    &startup, &info_) != FALSE;
    }
    ~Process()
    {
        if (!started_)
            return;
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(info_.hProcess, 1);
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return started_; }
    HANDLE Handle() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

}  // namespace

TEST(KeepAliveEndToEnd, AutoStartedProgramProdlesALoopbackServerAndExitsOnClose)
{
    RemoveBaseKey();
    RemoveIniFile();
    SetSetting("ComboName0", "127.0.0.1");
    SetSetting("Debug", "1");
    SetSetting("AutoStart", "1");
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());

    Process prodle(ProgramPath());
    ASSERT_TRUE(prodle.Started()) << ProgramPath() << " error " << ::GetLastError();
    // The pause at start-up, the auto-start a second later, the local lookup and the first prodle a
    // second after the countdown starts: a few seconds in all.
    const DWORD start = ::GetTickCount();
    while (server.Requests().empty() && ::GetTickCount() - start < 15000)
        ::Sleep(50);
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.rfind("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n", 0), 0u) << request;
    EXPECT_EQ(request.substr(request.size() - 4), "\r\n\r\n");

    HWND frame = nullptr;
    while (!(frame = MainFrameOf(prodle.Id())) && ::GetTickCount() - start < 20000)
        ::Sleep(50);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(::IsWindowVisible(frame));
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(prodle.Handle(), 15000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(prodle.Handle(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(Setting("Often"), "25");
    RemoveBaseKey();
}

// Driving the real prodle.exe from a test: start it, find its windows, answer its message boxes,
// screenshot its windows, and close it.
#ifndef PRODLE_TESTS_SUPPORT_PROGRAM_H
#define PRODLE_TESTS_SUPPORT_PROGRAM_H

#include <windows.h>

#include <string>
#include <vector>

// The prodle.exe beside the test program (or the one named by PRODLE_EXE).
std::string ProgramPath();
// Where tests leave screenshots and other artefacts (created on demand).
std::string ArtefactDirectory();
// A file's bytes; empty when it cannot be read.
std::string FileContents(const std::string& path);
std::string FileContents(const std::wstring& path);
// A file's path in the folder for temporary files.
std::wstring TempFilePath(const wchar_t* name);
// The test program itself (for a test that starts it again in a helper mode).
std::string TestProgramPath();

class ProdleProcess {
public:
    ProdleProcess() = default;
    ProdleProcess(const ProdleProcess&) = delete;
    ProdleProcess& operator=(const ProdleProcess&) = delete;
    ~ProdleProcess();  // ends a program that is still running

    // Starts prodle.exe (or another program), with these command-line arguments.
    bool Start(const std::string& arguments = "", const std::string& program = ProgramPath());
    bool IsRunning() const;
    // Waits for the program to end by itself; its exit code, or -1 on time-out.
    int WaitForExit(DWORD timeoutMs);
    DWORD ProcessId() const { return m_info.dwProcessId; }
    // Its one thread, the user-interface thread (to suspend it: a program that does not answer).
    HANDLE MainThread() const { return m_info.hThread; }

    // The main frame (hidden or not), once it exists.
    HWND MainWindow(DWORD timeoutMs = 10000) const;
    // The form inside it.
    HWND Form(DWORD timeoutMs = 10000) const;
    // A top-level window of the program with this caption, visible (message boxes, dialogs).
    HWND WaitForWindow(const char* caption, DWORD timeoutMs = 10000) const;
    // A visible dialog or message box of the program with this caption.
    HWND WaitForDialog(const char* caption, DWORD timeoutMs = 10000) const;
    // A visible top-level window of the program of this class (a pop-up menu is "#32768").
    HWND WaitForWindowOfClass(const char* className, DWORD timeoutMs = 10000) const;
    // Every visible top-level window of the program with this caption.
    std::vector<HWND> Windows(const char* caption) const;

private:
    PROCESS_INFORMATION m_info = {};
};

// The visible top-level windows of a process with this caption (and class, unless null).
std::vector<HWND> TopLevelWindows(DWORD processId, const char* caption, const char* className = nullptr);
// The text a message box shows (its static text), asked again for a moment while it gives none.
std::string MessageBoxText(HWND box);
// Presses a button of a dialog by id (as a click does).
void PressButton(HWND dialog, int id);
std::string WindowText(HWND window);
// Waits until `done` holds, sleeping between tries (for another process's windows).
bool WaitFor(bool (*done)(void*), void* context, DWORD timeoutMs);
// Saves what the screen shows of the window, once it has painted itself, as a BMP file in the artefact
// directory; returns its path. At a DPI other than 96 the file's name ends in "-<dpi>dpi".
std::string SaveScreenshot(HWND window, const std::string& name);
// The same for a rectangle of the screen (screen coordinates), taken at once.
std::string SaveScreenArea(const RECT& area, const std::string& name);

#endif

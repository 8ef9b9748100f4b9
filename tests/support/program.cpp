#include "support/program.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct Search {
    DWORD processId;
    const char* caption;
    const char* className;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    if (search->visibleOnly && !::IsWindowVisible(window))
        return TRUE;
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof text);
    char className[256] = {};
    ::GetClassNameA(window, className, sizeof className);
    if ((!search->caption || std::string(text) == search->caption) &&
        (!search->className || std::string(className) == search->className))
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindWindows(DWORD processId, const char* caption, const char* className, bool visibleOnly)
{
    Search search{processId, caption, className, visibleOnly, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForFirst(DWORD processId, const char* caption, const char* className, bool visibleOnly,
                  DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    do {
        const auto found = FindWindows(processId, caption, className, visibleOnly);
        if (!found.empty())
            return found.front();
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::string ModuleDirectory()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

}  // namespace

std::string ProgramPath()
{
    if (const char* fromEnvironment = std::getenv("PRODLE_EXE")) {
        // A Unix path from the build: Wine maps the root to drive Z:.
        std::string path(fromEnvironment);
        if (!path.empty() && path[0] == '/')
            path = "Z:" + path;
        return path;
    }
    return ModuleDirectory() + "prodle.exe";
}

std::vector<HWND> TopLevelWindows(DWORD processId, const char* caption, const char* className)
{
    return FindWindows(processId, caption, className, true);
}

std::string FileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string FileContents(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::wstring TempFilePath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return folder + std::wstring(name);
}

std::string TestProgramPath()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string ArtefactDirectory()
{
    const std::string directory = ModuleDirectory() + "artefacts";
    ::CreateDirectoryA(directory.c_str(), nullptr);
    return directory;
}

ProdleProcess::~ProdleProcess()
{
    if (!m_info.hProcess)
        return;
    if (IsRunning()) {
        if (HWND main = MainWindow(0))
            ::PostMessageA(main, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(m_info.hProcess, 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(m_info.hProcess, 1);
    }
    ::CloseHandle(m_info.hThread);
    ::CloseHandle(m_info.hProcess);
}

bool ProdleProcess::Start(const std::string& arguments, const std::string& program)
{
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &m_info) != FALSE;
}

bool ProdleProcess::IsRunning() const
{
    return m_info.hProcess && ::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

int ProdleProcess::WaitForExit(DWORD timeoutMs)
{
    if (::WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(m_info.hProcess, &code);
    return static_cast<int>(code);
}

HWND ProdleProcess::MainWindow(DWORD timeoutMs) const
{
    return WaitForFirst(m_info.dwProcessId, "Prodle", "ProdleFrame", false, timeoutMs);
}

HWND ProdleProcess::Form(DWORD timeoutMs) const
{
    // The frame exists a little before the form inside it.
    const DWORD start = ::GetTickCount();
    do {
        if (HWND main = MainWindow(0)) {
            // Ready once its initial update has written the status line (the template holds a space).
            HWND form = ::FindWindowExA(main, nullptr, "#32770", nullptr);
            const std::string status = form ? WindowText(::GetDlgItem(form, 1004)) : std::string();
            if (!status.empty() && status != " ")
                return form;
        }
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND ProdleProcess::WaitForWindow(const char* caption, DWORD timeoutMs) const
{
    return WaitForFirst(m_info.dwProcessId, caption, nullptr, true, timeoutMs);
}

HWND ProdleProcess::WaitForDialog(const char* caption, DWORD timeoutMs) const
{
    return WaitForFirst(m_info.dwProcessId, caption, "#32770", true, timeoutMs);
}

HWND ProdleProcess::WaitForWindowOfClass(const char* className, DWORD timeoutMs) const
{
    return WaitForFirst(m_info.dwProcessId, nullptr, className, true, timeoutMs);
}

std::vector<HWND> ProdleProcess::Windows(const char* caption) const
{
    return FindWindows(m_info.dwProcessId, caption, nullptr, true);
}

std::string WindowText(HWND window)
{
    // Asked of the window itself: GetWindowText does not read another program's edit controls.
    char text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                          5000, &copied);
    return text;
}

std::string MessageBoxText(HWND box)
{
    // The message is the box's static text control (id 0xFFFF). Asked again when it gives no answer:
    // Wine takes a thread that has not read its messages for 5 s (a later start that waited for the
    // running one) for hung until its box's loop has begun.
    const DWORD start = ::GetTickCount();
    do {
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            char className[64] = {};
            ::GetClassNameA(child, className, sizeof className);
            if (std::string(className) == "Static" && ::GetWindowTextLengthA(child) > 0) {
                const std::string text = WindowText(child);
                if (!text.empty())
                    return text;
            }
        }
        ::Sleep(20);
    } while (::IsWindow(box) && ::GetTickCount() - start < 2000);
    return std::string();
}

void PressButton(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

bool WaitFor(bool (*done)(void*), void* context, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    do {
        if (done(context))
            return true;
        ::Sleep(20);
    } while (::GetTickCount() - start < timeoutMs);
    return false;
}

std::string SaveScreenshot(HWND window, const std::string& name)
{
    // Let the window (perhaps just opened, perhaps another program's) paint itself whole first.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(300);
    ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    RECT rect;
    ::GetWindowRect(window, &rect);
    return SaveScreenArea(rect, name);
}

std::string SaveScreenArea(const RECT& area, const std::string& name)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return std::string();
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    ::SelectObject(memory, previous);

    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    const std::string suffix = dpi == 96 ? std::string() : "-" + std::to_string(dpi) + "dpi";
    const std::string path = ArtefactDirectory() + "\\" + name + suffix + ".bmp";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&header, sizeof header, 1, file);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file);
        std::fwrite(bits, 1, imageBytes, file);
        std::fclose(file);
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return path;
}

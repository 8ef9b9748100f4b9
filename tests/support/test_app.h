// The application object of the test program: the real start-up and shut-down, with message boxes
// recorded (and answered OK) instead of shown, and no real pause.
#ifndef PRODLE_TESTS_SUPPORT_TEST_APP_H
#define PRODLE_TESTS_SUPPORT_TEST_APP_H

#include <functional>
#include <string>
#include <vector>

#include "app/prodle_app.h"

class CProdleView;
class CMainFrame;

struct RecordedBox {
    std::string text;
    UINT type;
};

class TestApp : public CProdleApp {
public:
    int DoMessageBox(const CString& text, UINT type, UINT helpId) override;
    void Pause(DWORD milliseconds) override
    {
        pausedMs += milliseconds;
        if (onPause)
            onPause();
    }
    // Shell opens are recorded and answered with `shellResult` (33: success) unless `realShell` is set.
    HINSTANCE ShellOpen(const char* target) override;
    HINSTANCE ShellOpenFile(const std::wstring& path) override;
    void DoMessageBeep(UINT type) override { beeps.push_back(type); }

    // Starts the program as prodle.exe does (store, INI import, document, frame, view).
    bool Start();
    // Closes the main window as "Exit Prodle" does and runs the application's exit.
    void Stop();

    CProdleView* View() const;
    HWND MainWindow() const;
    // The form: the view's window.
    HWND Form() const;

    std::vector<RecordedBox> boxes;
    // Runs while a box is "up", as the box's own message loop would let things happen.
    std::function<void(const RecordedBox&)> onBox;
    DWORD pausedMs = 0;
    // Runs in the pause's place: the start-up's slow moment.
    std::function<void()> onPause;
    std::vector<std::string> opened;
    std::vector<std::wstring> openedFiles;
    HINSTANCE shellResult = reinterpret_cast<HINSTANCE>(33);
    bool realShell = false;
    std::vector<UINT> beeps;
    bool running = false;
};

TestApp& App();

#endif

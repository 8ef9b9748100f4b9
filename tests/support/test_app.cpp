#include "support/test_app.h"

#include "form/prodle_view.h"
#include "framework/document.h"
#include "framework/frame_wnd.h"
#include "support/pump.h"

int TestApp::DoMessageBox(const CString& text, UINT type, UINT)
{
    boxes.push_back({text, type});
    if (onBox)
        onBox(boxes.back());
    return IDOK;
}

HINSTANCE TestApp::ShellOpen(const char* target)
{
    opened.push_back(target);
    return realShell ? CProdleApp::ShellOpen(target) : shellResult;
}

HINSTANCE TestApp::ShellOpenFile(const std::wstring& path)
{
    openedFiles.push_back(path);
    return realShell ? CProdleApp::ShellOpenFile(path) : shellResult;
}

bool TestApp::Start()
{
    boxes.clear();
    m_nCmdShow = SW_SHOWNORMAL;
    running = InitInstance() != FALSE;
    return running;
}

void TestApp::Stop()
{
    if (!running)
        return;
    if (m_pMainWnd)
        m_pMainWnd->SendMessage(WM_CLOSE);
    PumpPending();
    ExitInstance();
    m_pDocTemplate.reset();
    m_bQuitReceived = false;
    running = false;
}

CProdleView* TestApp::View() const
{
    const auto* frame = dynamic_cast<const CFrameWnd*>(m_pMainWnd);
    return frame ? dynamic_cast<CProdleView*>(frame->GetActiveView()) : nullptr;
}

HWND TestApp::Form() const
{
    const CProdleView* view = View();
    return view ? static_cast<HWND>(*view) : nullptr;
}

HWND TestApp::MainWindow() const
{
    return m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
}

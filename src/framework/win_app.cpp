#include "framework/win_app.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/document.h"
#include "framework/frame_wnd.h"
#include "framework/framework_ids.h"
#include "framework/wnd.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle()
{
    return g_app && g_app->m_hInstance ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

HICON AfxLoadSmallIcon(HINSTANCE module, LPCSTR name)
{
    return static_cast<HICON>(::LoadImageA(module, name, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                           ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

int AfxMessageBox(const CString& text, UINT type, UINT helpId)
{
    return AfxGetApp()->DoMessageBox(text, type, helpId);
}

CWinApp::CWinApp()
{
    g_app = this;
    m_hInstance = ::GetModuleHandleA(nullptr);
    char name[128] = {};
    ::LoadStringA(m_hInstance, AFX_IDS_APP_TITLE, name, sizeof name);
    m_strAppName = name;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::PreTranslateMessage(MSG* msg)
{
    auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd);
    return frame && frame->PreTranslateMessage(msg);
}

void CWinApp::WatchHandle(HANDLE handle, std::function<void()> signalled)
{
    m_hWatched = handle;
    m_onWatched = handle ? std::move(signalled) : nullptr;
}

bool CWinApp::PumpMessage(bool wait)
{
    MSG msg;
    if (wait) {
        // Until a message is there, the watched object too; an idle program sleeps all the while.
        while (m_hWatched && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (::MsgWaitForMultipleObjects(1, &m_hWatched, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0)
                m_onWatched();
        }
        if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            m_bQuitReceived = true;
            m_nExitCode = static_cast<int>(msg.wParam);
            return false;
        }
    } else if (m_hWatched && ::WaitForSingleObject(m_hWatched, 0) == WAIT_OBJECT_0) {
        m_onWatched();
        return true;
    } else if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    } else if (msg.message == WM_QUIT) {
        m_bQuitReceived = true;
        m_nExitCode = static_cast<int>(msg.wParam);
        return false;
    }
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

int CWinApp::Run()
{
    while (PumpMessage(true)) {
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT id) const
{
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

HICON CWinApp::LoadSmallIcon(UINT id) const
{
    return AfxLoadSmallIcon(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

int CWinApp::DoMessageBox(const CString& text, UINT type, UINT)
{
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (!owner || !::IsWindowVisible(owner)) {
        // No one sees the main window (the program lives in the notification area, or is still
        // starting, perhaps started by an installer): a box it owned would have no taskbar button and
        // could open behind other windows. It stands on its own, in front, and keeps the program's
        // windows disabled while it is up, as an owned box does.
        owner = nullptr;
        type = (type & ~MB_MODEMASK) | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST;
    }
    return ::MessageBoxA(owner, text.c_str(), m_strAppName.c_str(), type);
}

HINSTANCE CWinApp::ShellOpen(const char* target)
{
    return ::ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

HINSTANCE CWinApp::ShellOpenFile(const std::wstring& path)
{
    return ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CWinApp::DoWaitCursor(int delta)
{
    m_nWaitCursorCount += delta;
    if (m_nWaitCursorCount < 0)
        m_nWaitCursorCount = 0;
    ::SetCursor(::LoadCursorA(nullptr, m_nWaitCursorCount > 0 ? IDC_WAIT : IDC_ARROW));
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* docTemplate)
{
    m_pDocTemplate.reset(docTemplate);
}

bool CWinApp::OnFileNew()
{
    if (m_pDocTemplate)
        m_pDocTemplate->OpenNewDocument();
    return m_pMainWnd != nullptr;
}

int AfxWinMain(HINSTANCE instance, int showCommand)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    app->m_hInstance = instance;
    app->m_nCmdShow = showCommand;
    ::InitCommonControls();
    if (!app->InitInstance()) {
        if (app->m_pMainWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

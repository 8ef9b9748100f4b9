#include "ui/about_box.h"

#include "app/prodle_app.h"
#include "app/resource.h"
#include "framework/wnd.h"
#include "ui/static_link.h"

namespace {

struct BoxDriver {
    std::function<void(HWND)> act;
    int boxes = 0;
    bool busy = false;
};
BoxDriver* g_driver = nullptr;

HWND FindOwnAboutBox()
{
    HWND box = ::FindWindowA("#32770", "About Prodle");
    DWORD process = 0;
    if (!box || !::IsWindowVisible(box) ||
        ::GetWindowThreadProcessId(box, &process) != ::GetCurrentThreadId())
        return nullptr;
    return box;
}

void CALLBACK OnDriverTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_driver || g_driver->busy)
        return;
    HWND box = FindOwnAboutBox();
    if (!box)
        return;
    g_driver->busy = true;
    ++g_driver->boxes;
    g_driver->act(box);
    ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
    g_driver->busy = false;
}

}  // namespace

int WithAboutBox(const std::function<void()>& open, const std::function<void(HWND)>& act)
{
    BoxDriver driver;
    driver.act = act;
    g_driver = &driver;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, OnDriverTimer);
    open();
    ::KillTimer(nullptr, timer);
    g_driver = nullptr;
    return driver.boxes;
}

int WithAboutBox(const std::function<void(HWND)>& act)
{
    return WithAboutBox([] { ::SendMessageA(AfxGetMainWnd()->m_hWnd, WM_COMMAND, ID_APP_ABOUT, 0); }, act);
}

std::string ItemText(HWND box, int id)
{
    char text[256] = {};
    ::GetDlgItemTextA(box, id, text, sizeof text);
    return text;
}

CStaticLink* LinkOf(HWND box, int id)
{
    return dynamic_cast<CStaticLink*>(CWnd::FromHandlePermanent(::GetDlgItem(box, id)));
}

void ClickStatic(HWND box, int id)
{
    ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
}

Colouring ColouringOf(HWND box, HWND control)
{
    HDC dc = ::GetDC(control);
    const int saved = ::SaveDC(dc);
    Colouring colouring{};
    colouring.brush = reinterpret_cast<HBRUSH>(::SendMessageA(
        box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    colouring.text = ::GetTextColor(dc);
    colouring.bkMode = ::GetBkMode(dc);
    LOGFONTA font = {};
    ::GetObjectA(::GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
    colouring.underlined = font.lfUnderline != 0;
    ::RestoreDC(dc, saved);
    ::ReleaseDC(control, dc);
    return colouring;
}

#include "ui/static_link.h"

#include "app/resource.h"
#include "framework/win_app.h"
#include "ui/rules/about_texts.h"

namespace {

constexpr UINT kClickCoolDownMs = 1000;

HCURSOR ArrowCursor()
{
    return ::LoadCursorA(nullptr, IDC_ARROW);
}

HCURSOR HandCursor()
{
    return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_HAND_LINK));
}

}  // namespace

CStaticLink::CStaticLink() : m_crUnvisited(0x00FF0000), m_crVisited(0x00800080)
{
}

// The underline font goes with its member, the subclass (if the window is still there) with the base.
CStaticLink::~CStaticLink()
{
    // A static that outlives its link must not keep drawing with a font that is about to go.
    if (m_hWnd && m_fontUnderline.GetSafeHandle())
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hOriginalFont), FALSE);
}

const MessageMap* CStaticLink::ThisMessageMap()
{
    using T = CStaticLink;
    static const MessageMapEntry entries[] = {
        MapMessage<&T::CtlColor>(kReflectBase + kReflectedCtlColor),
        MapReflectedNotify<&T::OnClicked>(STN_CLICKED),
        MapMessage<&T::OnMouseMove>(WM_MOUSEMOVE),
        MapMessage<&T::OnTimer>(WM_TIMER),
        MapMessage<&T::OnCaptureChanged>(WM_CAPTURECHANGED),
    };
    static const MessageMap map = MakeMessageMap(CStatic::ThisMessageMap(), entries);
    return &map;
}

bool CStaticLink::SubclassWindow(HWND hWnd)
{
    return InstallSubclass(hWnd);
}

HBRUSH CStaticLink::CtlColor(HDC hdc, UINT)
{
    // Without SS_NOTIFY a static is transparent to the mouse: no clicks, no moves.
    const DWORD style = GetStyle();
    if (!(style & SS_NOTIFY))
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style | SS_NOTIFY));

    // Only the text kinds (left, centred, right) are links; icons, frames and the rest keep the
    // parent's colours.
    if ((style & 0xFF) > SS_RIGHT)
        return nullptr;

    if (!m_fontUnderline.GetSafeHandle()) {
        // A control without a font of its own draws with the system font: underline that.
        m_hOriginalFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        HGDIOBJ font =
            m_hOriginalFont ? static_cast<HGDIOBJ>(m_hOriginalFont) : ::GetStockObject(SYSTEM_FONT);
        LOGFONTA description = {};
        if (::GetObjectA(font, sizeof description, &description) == sizeof description) {
            description.lfUnderline = TRUE;
            // Some static controls (Wine's) select their own font after asking for colours, so the
            // control is given the underlined font as well; where the font selected below is kept, this
            // changes nothing.
            if (m_fontUnderline.CreateFontIndirect(&description))
                SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_fontUnderline.GetSafeHandle()), FALSE);
        }
    }
    if (m_fontUnderline.GetSafeHandle())
        ::SelectObject(hdc, m_fontUnderline.GetSafeHandle());

    ::SetTextColor(hdc, Visited() ? m_crVisited : m_crUnvisited);
    ::SetBkMode(hdc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CStaticLink::OnClicked()
{
    // The target is fixed at the first click; later changes of the text do not move it.
    if (m_strLink.empty())
        m_strLink = LinkTarget(GetWindowText(), kContactMailboxPrefix);

    m_bCaptured = false;
    ::ReleaseCapture();

    // For a second after a click the hover behaviour rests, so that the arrow set below stays.
    m_bClickTimer = true;
    SetTimer(TIMER_LINK_COOL_DOWN, kClickCoolDownMs);

    const HINSTANCE result = AfxGetApp()->ShellOpen(m_strLink.c_str());
    if (reinterpret_cast<UINT_PTR>(result) <= 32) {
        AfxGetApp()->DoMessageBeep(0);
        return;
    }
    Visited() = true;
    ::SetCursor(ArrowCursor());
    InvalidateRect(nullptr, TRUE);
}

void CStaticLink::OnMouseMove(UINT, POINT point)
{
    Default();
    if (m_bClickTimer)
        return;

    RECT client;
    GetClientRect(&client);
    const bool inside = ::PtInRect(&client, point) != FALSE;
    if (!m_bCaptured && inside) {
        m_bCaptured = true;
        ::SetCapture(m_hWnd);
        ::SetCursor(HandCursor());
    }
    // While captured the control keeps getting moves after the pointer has left it.
    if (m_bCaptured && !inside) {
        ::ReleaseCapture();
        m_bCaptured = false;
        ::SetCursor(ArrowCursor());
    }
}

void CStaticLink::OnCaptureChanged()
{
    Default();
    // Another window took the mouse (a menu, a drag, a switch to another program): the control no
    // longer hears of the pointer leaving, so it must not think it still holds the capture, or the
    // next visit would never capture again nor show the hand.
    m_bCaptured = false;
}

void CStaticLink::OnTimer(UINT_PTR id)
{
    Default();
    if (id == TIMER_LINK_COOL_DOWN) {
        KillTimer(TIMER_LINK_COOL_DOWN);
        m_bClickTimer = false;
    }
}

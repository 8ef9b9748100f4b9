#include "history/history_strip.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "framework/win_app.h"
#include "history/rules/history.h"

namespace {

// The scale's tenfold steps, from a quarter of the height up to the top (1 ms is the bottom).
constexpr const char* kScaleLabels[] = {"10 ms", "100 ms", "1 s", "10 s"};
constexpr int kScaleSteps = 4;
// The widest a bar gets (with its gap) while few records are shown, at 96 DPI.
constexpr int kWidestBar = 8;
// What the strip shows, and says, without records.
constexpr const char* kNoRecords = "No prodles yet";
// Failures stand out in red, except in High Contrast, whose few colours the user chose.
constexpr COLORREF kFailureRed = RGB(204, 0, 0);

// A window's device context for the length of a block.
class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { ::ReleaseDC(m_window, m_dc); }
    operator HDC() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// A GDI object selected into a device context for the length of a block.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() { ::SelectObject(m_dc, m_previous); }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A memory bitmap of a window's size to paint into, copied to the window at once when the block ends.
class BackBuffer {
public:
    BackBuffer(HDC target, SIZE size)
        : m_target(target), m_size(size), m_dc(::CreateCompatibleDC(target)),
          m_bitmap(::CreateCompatibleBitmap(target, size.cx, size.cy)),
          m_previous(::SelectObject(m_dc, m_bitmap))
    {
    }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer()
    {
        ::BitBlt(m_target, 0, 0, m_size.cx, m_size.cy, m_dc, 0, 0, SRCCOPY);
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    HDC Dc() const { return m_dc; }

private:
    HDC m_target;
    SIZE m_size;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

// A rectangle in one colour, without a brush to make and delete.
void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    const RECT rect = {left, top, right, bottom};
    ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// A small triangle whose tip is at (x, tipY), pointing down (above a bar) or up (below one).
void Triangle(HDC dc, int x, int tipY, int rows, bool down, COLORREF colour)
{
    for (int row = 0; row < rows; ++row) {
        const int y = down ? tipY - row : tipY + row;
        Fill(dc, x - row, y, x + row + 1, y + 1, colour);
    }
}

bool HighContrast()
{
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace

bool HistoryStrip::RegisterWindowClass()
{
    WNDCLASSA windowClass = {};
    if (::GetClassInfoA(AfxGetResourceHandle(), kClassName, &windowClass))
        return true;
    // The strip's messages are handled by the object that subclasses the window.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = AfxGetResourceHandle();
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassA(&windowClass) != 0;
}

HistoryStrip::HistoryStrip(const std::vector<ProdleRecord>& records) : m_records(records)
{
}

HistoryStrip::~HistoryStrip()
{
    DestroyTooltip();
}

const MessageMap* HistoryStrip::ThisMessageMap()
{
    using T = HistoryStrip;
    static const MessageMapEntry entries[] = {
        MapMessage<&T::OnPaint>(WM_PAINT),
        MapMessage<&T::OnEraseBackground>(WM_ERASEBKGND),
        MapMessage<&T::OnGetDlgCode>(WM_GETDLGCODE),
        MapMessage<&T::OnKeyDown>(WM_KEYDOWN),
        MapMessage<&T::OnLeftButtonDown>(WM_LBUTTONDOWN),
        MapMessage<&T::OnMouseMove>(WM_MOUSEMOVE),
        MapMessage<&T::OnFocusChanged>(WM_SETFOCUS),
        MapMessage<&T::OnFocusChanged>(WM_KILLFOCUS),
        MapMessage<&T::OnNotify>(WM_NOTIFY),
        MapMessage<&T::OnDestroy>(WM_DESTROY),
    };
    static const MessageMap map = MakeMessageMap(CWnd::ThisMessageMap(), entries);
    return &map;
}

bool HistoryStrip::SubclassWindow(HWND hWnd)
{
    if (!InstallSubclass(hWnd))
        return false;
    m_dpi = ::GetDeviceCaps(WindowDc(m_hWnd), LOGPIXELSY);
    m_name = GetWindowText();
    SetFont(nullptr);
    m_count = m_records.size();
    m_selection.reset();
    if (m_count > 0)
        m_selection = m_count - 1;
    TellAccessibleName();

    // One tool, the whole strip, whose text is asked for when it shows: the bar under the pointer's.
    m_tooltip = ::CreateWindowExA(
        WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, AfxGetResourceHandle(), nullptr);
    if (m_tooltip) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return true;
}

void HistoryStrip::SetFont(HFONT font)
{
    m_font = font;
    WindowDc dc(m_hWnd);
    Selected selected(dc, m_font ? static_cast<HGDIOBJ>(m_font) : ::GetStockObject(DEFAULT_GUI_FONT));
    int widest = 0;
    for (const char* label : kScaleLabels) {
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, label, static_cast<int>(std::char_traits<char>::length(label)), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    m_textHeight = metrics.tmHeight;
    m_gutter = widest + Scale(8);
    InvalidateRect(nullptr, FALSE);
}

void HistoryStrip::OnSelectionChanged(std::function<void(const std::string&)> changed)
{
    m_selectionChanged = std::move(changed);
}

void HistoryStrip::RecordsChanged()
{
    const size_t count = m_records.size();
    std::optional<size_t> selection;
    if (count > 0) {
        if (!m_selection || *m_selection + 1 == m_count)
            selection = count - 1;
        else if (count == m_count)  // the oldest went to make room: the others moved down by one
            selection = *m_selection > 0 ? *m_selection - 1 : 0;
        else
            selection = m_selection;
        selection = std::max(*selection, CurrentLayout().first);
    }
    m_count = count;
    // The owner hears of it even when the index stays (its record may be another), and the strip is
    // drawn anew.
    m_selection.reset();
    Select(selection);
}

std::string HistoryStrip::SelectionText() const
{
    return m_selection && *m_selection < m_records.size() ? RecordText(m_records[*m_selection])
                                                          : std::string();
}

void HistoryStrip::Select(std::optional<size_t> record)
{
    if (record == m_selection)
        return;
    m_selection = record;
    InvalidateRect(nullptr, FALSE);
    TellAccessibleName();
    if (m_selectionChanged)
        m_selectionChanged(SelectionText());
}

void HistoryStrip::TellAccessibleName()
{
    // The strip has no accessible object of its own: Windows' standard one (oleacc's, on XP as behind
    // UI Automation's bridge on later Windows) names a window of a class it does not know by its text.
    // Screen readers follow the object of the focus event, the client area, and read a change of its
    // name aloud; SetWindowText itself announces only the window object's.
    const std::string selection = SelectionText();
    SetWindowText(m_name + ": " + (selection.empty() ? std::string(kNoRecords) : selection));
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
}

// ---- Where the bars stand ----------------------------------------------------------------------------

int HistoryStrip::Layout::BarLeft(size_t index) const
{
    // The bars share the span whole: bar i begins at the i-th part of it, rounded up.
    const size_t span = static_cast<size_t>(plot.right - left);
    return left + static_cast<int>((index * span + shown - 1) / shown);
}

int HistoryStrip::Layout::BarDrawnRight(size_t index) const
{
    const int left = BarLeft(index), width = BarRight(index) - left;
    return left + (width >= 3 ? width - std::max(1, width / 4) : width);
}

HistoryStrip::Layout HistoryStrip::MakeLayout(SIZE size) const
{
    const int markRows = Scale(5) / 2 + 1;
    Layout layout;
    layout.plot.left = m_gutter;
    layout.plot.right = std::max<int>(layout.plot.left, size.cx - Scale(4));
    // A failure's mark above the bars, an outage's line and the selection's mark below; the top label's
    // upper half above them too.
    layout.plot.top = std::max(Scale(3) + markRows, m_textHeight / 2 + 1);
    layout.plot.bottom = std::max<int>(layout.plot.top, size.cy - Scale(4) - OutageLine() - markRows);
    const size_t width = static_cast<size_t>(layout.plot.right - layout.plot.left);
    layout.shown = std::min(m_records.size(), width);
    layout.first = m_records.size() - layout.shown;
    const size_t span = std::min(width, layout.shown * static_cast<size_t>(Scale(kWidestBar)));
    layout.left = layout.plot.right - static_cast<int>(span);
    return layout;
}

HistoryStrip::Layout HistoryStrip::CurrentLayout() const
{
    RECT client = {};
    GetClientRect(&client);
    return MakeLayout({client.right, client.bottom});
}

std::optional<size_t> HistoryStrip::RecordAt(POINT point) const
{
    RECT client = {};
    GetClientRect(&client);
    const Layout layout = CurrentLayout();
    if (layout.shown == 0 || !::PtInRect(&client, point) || point.x < layout.left ||
        point.x >= layout.plot.right)
        return std::nullopt;
    const size_t span = static_cast<size_t>(layout.plot.right - layout.left);
    return layout.first + static_cast<size_t>(point.x - layout.left) * layout.shown / span;
}

// ---- Drawing -----------------------------------------------------------------------------------------

void HistoryStrip::Draw(HDC dc, SIZE size) const
{
    const Layout layout = MakeLayout(size);
    const RECT& plot = layout.plot;
    const int height = plot.bottom - plot.top;
    const COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT);
    Fill(dc, 0, 0, size.cx, size.cy, ::GetSysColor(COLOR_WINDOW));

    // The scale: a line and a label at each tenfold step.
    Selected font(dc, m_font ? static_cast<HGDIOBJ>(m_font) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    for (int step = 1; step <= kScaleSteps; ++step) {
        const int y = plot.bottom - height * step / kScaleSteps;
        Fill(dc, plot.left, y, plot.right, y + 1, ::GetSysColor(COLOR_BTNFACE));
        RECT label = {0, y - m_textHeight, plot.left - Scale(4), y + m_textHeight};
        ::DrawTextA(dc, kScaleLabels[step - 1], -1, &label,
                    DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (layout.shown == 0) {
        RECT empty = plot;
        ::DrawTextA(dc, kNoRecords, -1, &empty, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    const COLORREF reply = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF failure = HighContrast() ? ink : kFailureRed;
    const int markRows = Scale(5) / 2 + 1;
    for (size_t i = 0; i < layout.shown; ++i) {
        const ProdleRecord& record = m_records[layout.first + i];
        const int left = layout.BarLeft(i);
        const int right = layout.BarDrawnRight(i);
        const int middle = (left + right - 1) / 2;
        Fill(dc, left, plot.bottom - BarHeight(record, height), right, plot.bottom,
             record.Succeeded() ? reply : failure);
        if (!record.Succeeded())
            Triangle(dc, middle, plot.top - Scale(2), markRows, true, ink);
        if (m_selection == layout.first + i)
            Triangle(dc, middle, plot.bottom + Scale(2) + OutageLine(), markRows, false, ink);
    }
    // An outage: a line under its bars, from the first failure's left edge to the last one's right.
    for (const Outage& outage : FindOutages(m_records)) {
        if (outage.end <= layout.first)
            continue;
        const size_t from = std::max(outage.first, layout.first) - layout.first;
        const int top = plot.bottom + Scale(1);
        Fill(dc, layout.BarLeft(from), top, layout.BarDrawnRight(outage.end - 1 - layout.first),
             top + Scale(2), ink);
    }
    if (m_hWnd && ::GetFocus() == m_hWnd) {
        RECT focus = {1, 1, size.cx - 1, size.cy - 1};
        ::SetTextColor(dc, ink);
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        ::DrawFocusRect(dc, &focus);
    }
}

void HistoryStrip::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    RECT client = {};
    GetClientRect(&client);
    const SIZE size = {client.right, client.bottom};
    if (size.cx > 0 && size.cy > 0) {
        BackBuffer buffer(dc, size);
        Draw(buffer.Dc(), size);
    }
    ::EndPaint(m_hWnd, &paint);
}

// ---- The keyboard, the mouse and the tooltip ---------------------------------------------------------

LRESULT HistoryStrip::OnKeyDown(WPARAM key, LPARAM)
{
    const Layout layout = CurrentLayout();
    if (layout.shown == 0 || (key != VK_LEFT && key != VK_RIGHT && key != VK_HOME && key != VK_END))
        return Default();
    const size_t last = layout.first + layout.shown - 1;
    const size_t now = std::clamp(m_selection.value_or(last), layout.first, last);
    if (key == VK_LEFT)
        Select(now > layout.first ? now - 1 : now);
    else if (key == VK_RIGHT)
        Select(now < last ? now + 1 : now);
    else
        Select(key == VK_HOME ? layout.first : last);
    return 0;
}

void HistoryStrip::OnLeftButtonDown(UINT, POINT point)
{
    ::SetFocus(m_hWnd);
    if (const std::optional<size_t> record = RecordAt(point))
        Select(record);
}

void HistoryStrip::OnMouseMove(UINT, POINT point)
{
    // The tooltip follows the pointer from bar to bar, and goes where there is none.
    const std::optional<size_t> record = RecordAt(point);
    if (!m_tooltip || record == m_tipRecord)
        return;
    m_tipRecord = record;
    ::SendMessageA(m_tooltip, record ? TTM_UPDATE : TTM_POP, 0, 0);
}

void HistoryStrip::OnFocusChanged()
{
    InvalidateRect(nullptr, FALSE);
}

LRESULT HistoryStrip::OnNotify(WPARAM, LPARAM lParam)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom != m_tooltip || header->code != TTN_GETDISPINFOA)
        return Default();
    POINT pointer = {};
    ::GetCursorPos(&pointer);
    ::ScreenToClient(m_hWnd, &pointer);
    m_tipRecord = RecordAt(pointer);
    m_tipText = m_tipRecord ? RecordText(m_records[*m_tipRecord]) : std::string();
    reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = &m_tipText[0];
    return 0;
}

void HistoryStrip::OnDestroy()
{
    DestroyTooltip();
    Default();
}

void HistoryStrip::DestroyTooltip()
{
    // The window owns it too and may have destroyed it already.
    if (m_tooltip && ::IsWindow(m_tooltip))
        ::DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
    m_tipRecord.reset();
}

std::string HistoryStrip::RecordText(const ProdleRecord& record)
{
    // Seconds since 1970 in UTC to the local time of this computer's zone, as it was on that day.
    const unsigned long long ticks =
        (static_cast<unsigned long long>(record.startedAt) + 11644473600ULL) * 10000000ULL;
    const FILETIME utcFile = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc = {}, local = {};
    char time[32] = "?";
    if (record.startedAt >= 0 && ::FileTimeToSystemTime(&utcFile, &utc) &&
        ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth,
                      local.wDay, local.wHour, local.wMinute, local.wSecond);
    std::string text = std::string(time) + ", " + record.host;
    if (!record.address.empty())
        text += " (" + record.address + ")";
    text += ": ";
    text += record.Succeeded() ? "reply in " + std::to_string(record.replyMs) + " ms"
                               : OutcomeText(record.outcome);
    return text;
}

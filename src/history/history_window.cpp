#include "history/history_window.h"

#include <cstring>

#include "app/resource.h"
#include "framework/calendar.h"
#include "framework/data_exchange.h"
#include "framework/win_app.h"

namespace {

// The clipboard, open for the length of a block.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession()
    {
        if (m_open)
            ::CloseClipboard();
    }
    explicit operator bool() const { return m_open; }

private:
    bool m_open;
};

// Global memory, freed unless it was handed over (to the clipboard, which then owns it).
class GlobalMemory {
public:
    explicit GlobalMemory(size_t bytes) : m_memory(::GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    ~GlobalMemory()
    {
        if (m_memory)
            ::GlobalFree(m_memory);
    }
    HGLOBAL Get() const { return m_memory; }
    void HandedOver() { m_memory = nullptr; }

private:
    HGLOBAL m_memory;
};

// The text as CF_TEXT, in place of whatever the clipboard held; false when it could not be put there.
bool CopyToClipboard(HWND owner, const std::string& text)
{
    GlobalMemory memory(text.size() + 1);
    void* bytes = memory.Get() ? ::GlobalLock(memory.Get()) : nullptr;
    if (!bytes)
        return false;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory.Get());
    ClipboardSession clipboard(owner);
    if (!clipboard || !::EmptyClipboard() || !::SetClipboardData(CF_TEXT, memory.Get()))
        return false;
    memory.HandedOver();
    return true;
}

}  // namespace

HistoryWindow::HistoryWindow(HistoryBook& book, std::function<void()> openLog)
    : m_book(book), m_openLog(std::move(openLog)), m_strip(book.Records())
{
}

HistoryWindow::~HistoryWindow()
{
    // Its window must not outlive the object that handles its messages, nor the book call it.
    DestroyWindow();
    m_book.OnAdded(nullptr);
}

const MessageMap* HistoryWindow::ThisMessageMap()
{
    using T = HistoryWindow;
    static const MessageMapEntry entries[] = {
        MapCommand<&T::OnCopy>(IDC_HISTORY_COPY),
        MapCommand<&T::OnOpenLog>(IDC_HISTORY_OPEN_LOG),
        MapCommand<&T::OnClose>(IDCANCEL),
        MapMessage<&T::OnDestroy>(WM_DESTROY),
    };
    static const MessageMap map = MakeMessageMap(CWnd::ThisMessageMap(), entries);
    return &map;
}

void HistoryWindow::Open()
{
    if (m_hWnd) {
        if (::IsIconic(m_hWnd))
            ShowWindow(SW_RESTORE);
        SetForegroundWindow();
        return;
    }
    // No owner: the window has a taskbar button of its own, also while the form is hidden.
    if (!HistoryStrip::RegisterWindowClass() ||
        !::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDD_HISTORY), nullptr,
                              CWnd::DialogProc, reinterpret_cast<LPARAM>(this)))
        return;
    SetForegroundWindow();
}

bool HistoryWindow::PreTranslateMessage(MSG* msg)
{
    if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return false;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return false;
    return ::IsDialogMessageA(m_hWnd, msg) != FALSE;
}

void HistoryWindow::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_HISTORY_STRIP, m_strip);
}

bool HistoryWindow::OnInitDialog()
{
    UpdateData(false);
    m_strip.SetFont(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    m_strip.OnSelectionChanged([this](const std::string& text) { ShowDetails(text); });
    ShowDetails(m_strip.SelectionText());
    ShowSummary();
    m_book.OnAdded([this] { OnRecordAdded(); });
    return true;  // the focus to the first control with a tab stop: the strip
}

void HistoryWindow::OnRecordAdded()
{
    // Redrawn when the program next waits for messages, however many records come meanwhile.
    m_strip.RecordsChanged();
    ShowSummary();
}

void HistoryWindow::ShowSummary()
{
    const std::string text = SummaryText(Summarize(m_book.Records(), EpochSecondsNow()));
    ::SetDlgItemTextA(m_hWnd, IDC_HISTORY_SUMMARY, text.c_str());
}

void HistoryWindow::ShowDetails(const std::string& text)
{
    ::SetDlgItemTextA(m_hWnd, IDC_HISTORY_DETAILS, text.c_str());
}

void HistoryWindow::OnCopy()
{
    if (!CopyToClipboard(m_hWnd, HistoryAsText(m_book.Records())) && AfxGetApp())
        AfxGetApp()->DoMessageBeep(MB_ICONEXCLAMATION);
}

void HistoryWindow::OnOpenLog()
{
    if (m_openLog)
        m_openLog();
}

// The Close button, Escape and the caption's close box.
void HistoryWindow::OnClose()
{
    DestroyWindow();
}

void HistoryWindow::OnDestroy()
{
    m_book.OnAdded(nullptr);
    Default();
}

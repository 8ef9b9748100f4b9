#include "support/dialog_script.h"

namespace {

// One script at a time: the thread timer's procedure has no other way to find it.
DialogScript* g_active = nullptr;
// When the left button was last pressed.
DWORD g_lastPress = 0;

constexpr UINT kTickMs = 40;
// Bounds, in ticks, on waiting for the dialog to appear and for the script to close it.
constexpr int kMaxTicks = 500;

struct FindData {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindOwnWindow(HWND hWnd, LPARAM lParam)
{
    auto* data = reinterpret_cast<FindData*>(lParam);
    char text[128] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    if (::IsWindowVisible(hWnd) && lstrcmpA(text, data->caption) == 0) {
        data->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

DialogScript::DialogScript(std::string caption) : m_caption(std::move(caption))
{
}

DialogScript::~DialogScript()
{
    if (m_timer)
        ::KillTimer(nullptr, m_timer);
    if (g_active == this)
        g_active = nullptr;
}

DialogScript& DialogScript::Then(Step step)
{
    m_steps.push_back(std::move(step));
    return *this;
}

DialogScript& DialogScript::Inspect(std::function<void(HWND)> look)
{
    return Then([look](HWND dialog) {
        look(dialog);
        return true;
    });
}

DialogScript& DialogScript::Click(int id)
{
    return Then([id](HWND dialog) {
        ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        return true;
    });
}

DialogScript& DialogScript::SelectListEntry(int listId, int index)
{
    return Then([listId, index](HWND dialog) {
        ::SendMessageA(::GetDlgItem(dialog, listId), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return true;
    });
}

DialogScript& DialogScript::SetCheck(int id, bool checked)
{
    return Then([id, checked](HWND dialog) {
        ::SendMessageA(::GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        return true;
    });
}

DialogScript& DialogScript::Drag(int listId, int from, int onto)
{
    return Drag(listId, from, onto, [](HWND) { return true; });
}

DialogScript& DialogScript::Drag(int listId, int from, int onto, Step whileHeld)
{
    constexpr int kMoves = 6;
    Then([listId, from](HWND dialog) {
        MoveMouseTo(ListEntryCentre(::GetDlgItem(dialog, listId), from));
        return true;
    });
    Then([](HWND) {
        // A press too soon after the last one, at the same spot, would be a double click.
        if (::GetTickCount() - g_lastPress <= ::GetDoubleClickTime())
            return false;
        PressLeftButton(true);
        return true;
    });
    for (int i = 1; i <= kMoves; ++i) {
        Then([listId, from, onto, i](HWND dialog) {
            HWND list = ::GetDlgItem(dialog, listId);
            const POINT start = ListEntryCentre(list, from);
            const POINT end = ListEntryCentre(list, onto);
            MoveMouseTo({start.x, start.y + (end.y - start.y) * i / kMoves});
            return true;
        });
    }
    Then(std::move(whileHeld));
    return Then([](HWND) {
        PressLeftButton(false);
        return true;
    });
}

DialogScript& DialogScript::Before(Step step)
{
    m_steps.insert(m_steps.begin() + static_cast<std::ptrdiff_t>(m_stepsWithoutDialog), std::move(step));
    ++m_stepsWithoutDialog;
    return *this;
}

void DialogScript::Arm()
{
    g_active = this;
    m_timer = ::SetTimer(nullptr, 0, kTickMs, OnTick);
}

void CALLBACK DialogScript::OnTick(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_active)
        g_active->Tick();
}

HWND DialogScript::FindDialog() const
{
    FindData data = {m_caption.c_str(), nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindOwnWindow, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

void DialogScript::Tick()
{
    // A step that sends messages can let another tick in through a nested loop.
    if (m_inTick)
        return;
    m_inTick = true;
    ++m_ticks;
    HWND dialog = FindDialog();
    if (m_next < m_steps.size() && (dialog || m_stepsWithoutDialog > m_next)) {
        if (m_steps[m_next](dialog))
            ++m_next;
    } else if (m_ticks > kMaxTicks && m_failure.empty() && (dialog || !Finished())) {
        m_failure = dialog ? "the script ended with the dialog still open" : "the dialog never came up";
        if (dialog)
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    m_inTick = false;
}

void MoveMouseTo(POINT point)
{
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    // Normalised 0..65535, rounded up so that the system's scaling back lands on the same pixel.
    input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(point.x) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(point.y) * 65536 + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
}

void PressLeftButton(bool down)
{
    if (down)
        g_lastPress = ::GetTickCount();
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof input);
}

POINT ListEntryCentre(HWND list, int index)
{
    // Past the end: where an entry after the last one would be.
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    const int shown = index < count ? index : count - 1;
    RECT item = {};
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(shown), reinterpret_cast<LPARAM>(&item));
    ::OffsetRect(&item, 0, (index - shown) * (item.bottom - item.top));
    POINT centre = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ::ClientToScreen(list, &centre);
    return centre;
}

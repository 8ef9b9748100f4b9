#include "framework/drag_list_box.h"

#include <commctrl.h>

namespace {

// The insertion mark: an arrow in the margin left of the list, its tip on the line between entries.
constexpr int kMarkWidth = 6;
constexpr int kMarkHalfHeight = 5;

// A window's device context for the length of one drawing.
class WindowDC {
public:
    explicit WindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

}  // namespace

bool CDragListBox::SubclassWindow(HWND hWnd)
{
    if (!hWnd)
        return false;
    RemoveSubclass();
    if (!::MakeDragList(hWnd)) {
        Attach(hWnd);  // a plain list then
        return false;
    }
    // Our subclass, on top of the drag list's: the parent finds the list among our windows to hand it
    // the drag notifications, and forgets it when the list goes.
    return InstallSubclass(hWnd);
}

int CDragListBox::ItemFromPt(POINT screenPoint, bool autoScroll) const
{
    const int item = ::LBItemFromPt(m_hWnd, screenPoint, autoScroll);
    if (item != -1)
        return item;
    // Below the last entry the drop goes to the end. A full or scrolled list has no room below its last
    // entry inside it: there, below the list itself counts, once the autoscroll has brought the last
    // entry into view.
    const int count = GetCount();
    if (count <= 0)
        return -1;
    POINT client = screenPoint;
    ::ScreenToClient(m_hWnd, &client);
    RECT area;
    GetClientRect(&area);
    RECT last;
    if (client.x < area.left || client.x >= area.right ||
        SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last)) ==
            LB_ERR)
        return -1;
    return last.bottom <= area.bottom && client.y >= last.bottom ? count : -1;
}

bool CDragListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != AfxDragListMessage() || !lParam)
        return CListBox::OnChildNotify(message, wParam, lParam, result);
    const auto* info = reinterpret_cast<const DRAGLISTINFO*>(lParam);
    switch (info->uNotification) {
    case DL_BEGINDRAG:
        *result = BeginDrag(info->ptCursor) ? TRUE : FALSE;
        return true;
    case DL_DRAGGING:
        *result = Dragging(info->ptCursor);
        return true;
    case DL_DROPPED:
        Dropped(m_nSourceIndex, info->ptCursor);
        *result = 0;
        return true;
    case DL_CANCELDRAG:
        CancelDrag(info->ptCursor);
        *result = 0;
        return true;
    default:
        return false;
    }
}

bool CDragListBox::BeginDrag(POINT point)
{
    m_nSourceIndex = ::LBItemFromPt(m_hWnd, point, FALSE);
    if (m_nSourceIndex == -1)
        return false;
    DrawInsert(m_nSourceIndex);
    return true;
}

UINT CDragListBox::Dragging(POINT point)
{
    const int item = ItemFromPt(point);
    DrawInsert(item);
    return item == -1 ? DL_STOPCURSOR : DL_MOVECURSOR;
}

void CDragListBox::Dropped(int sourceIndex, POINT point)
{
    DrawInsert(-1);
    m_nSourceIndex = -1;
    int destination = ItemFromPt(point, false);
    const int count = GetCount();
    if (sourceIndex < 0 || sourceIndex >= count || destination < 0)
        return;
    // Dropped on itself or just below itself: the order stays.
    if (destination == sourceIndex || destination == sourceIndex + 1)
        return;
    const CString text = GetText(sourceIndex);
    const LRESULT data = SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(sourceIndex));
    DeleteString(sourceIndex);
    if (sourceIndex < destination)
        --destination;
    destination = InsertString(destination, text);
    if (destination < 0)
        return;
    SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(destination), data);
    SetCurSel(destination);
}

void CDragListBox::CancelDrag(POINT)
{
    DrawInsert(-1);
    m_nSourceIndex = -1;
}

RECT CDragListBox::InsertMarkRect(int item) const
{
    RECT mark = {};
    const int count = GetCount();
    if (item < 0 || item > count || count == 0)
        return mark;
    // Before an entry the line is its top edge; after the last one, the last one's bottom edge.
    RECT entry;
    const int shown = item < count ? item : count - 1;
    if (SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(shown), reinterpret_cast<LPARAM>(&entry)) == LB_ERR)
        return mark;
    POINT line = {0, item < count ? entry.top : entry.bottom};
    RECT list;
    GetWindowRect(&list);
    HWND parent = ::GetParent(m_hWnd);
    ::MapWindowPoints(m_hWnd, parent, &line, 1);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&list), 2);
    ::SetRect(&mark, list.left - kMarkWidth, line.y - kMarkHalfHeight, list.left,
              line.y + kMarkHalfHeight + 1);
    return mark;
}

void CDragListBox::DrawInsert(int item)
{
    // The mark is drawn on the parent, beside the list, so that the list's own painting (it scrolls
    // while the drag goes on) never covers or moves it.
    HWND parent = ::GetParent(m_hWnd);
    const RECT mark = InsertMarkRect(item);
    if (!::EqualRect(&mark, &m_rcMark)) {
        if (!::IsRectEmpty(&m_rcMark))
            ::RedrawWindow(parent, &m_rcMark, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        m_rcMark = mark;
    }
    if (::IsRectEmpty(&mark))
        return;
    // Drawn again at every step of the drag, in case the parent has painted over it meanwhile.
    const POINT arrow[] = {
        {mark.left, mark.top}, {mark.right, mark.top + kMarkHalfHeight}, {mark.left, mark.bottom - 1}};
    WindowDC dc(parent);
    const HGDIOBJ oldBrush = ::SelectObject(dc.Get(), ::GetSysColorBrush(COLOR_WINDOWTEXT));
    const HGDIOBJ oldPen = ::SelectObject(dc.Get(), ::GetStockObject(NULL_PEN));
    ::Polygon(dc.Get(), arrow, 3);
    ::SelectObject(dc.Get(), oldPen);
    ::SelectObject(dc.Get(), oldBrush);
}

#include "framework/drag_list_box.h"

#include <commctrl.h>

namespace {

// Our own subclass of the list, beside the one the drag-list support installs: it only watches for
// the end of the window, so that the parent stops handing notifications to a gone window.
constexpr UINT_PTR kWatchSubclassId = 0x50524444;  // "PRDD"

}  // namespace

UINT CDragListBox::DragListMessage()
{
    static const UINT message = ::RegisterWindowMessageA(DRAGLISTMSGSTRING);
    return message;
}

CDragListBox::~CDragListBox()
{
    Unbind();
}

bool CDragListBox::SubclassWindow(HWND hWnd)
{
    if (!hWnd)
        return false;
    Unbind();
    Attach(hWnd);
    if (!::MakeDragList(hWnd))
        return false;
    m_bSubclassed = ::SetWindowSubclass(hWnd, ListProc, kWatchSubclassId, 0) != FALSE;
    RegisterPermanent(hWnd);
    return true;
}

void CDragListBox::Unbind()
{
    if (m_hWnd && m_bSubclassed)
        ::RemoveWindowSubclass(m_hWnd, ListProc, kWatchSubclassId);
    m_bSubclassed = false;
    UnregisterPermanent();
}

LRESULT CALLBACK CDragListBox::ListProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR)
{
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hWnd, ListProc, id);
        // Found through the registry of our windows, not through a stored pointer: an object that was
        // detached (or is gone) is no longer registered.
        if (auto* self = dynamic_cast<CDragListBox*>(FromHandlePermanent(hWnd))) {
            self->m_bSubclassed = false;
            self->UnregisterPermanent();
            self->m_hWnd = nullptr;
        }
    }
    return ::DefSubclassProc(hWnd, message, wParam, lParam);
}

int CDragListBox::ItemFromPt(POINT screenPoint, BOOL autoScroll) const
{
    const int item = ::LBItemFromPt(m_hWnd, screenPoint, autoScroll);
    if (item != -1)
        return item;
    // Below the last entry, inside the list: the drop goes to the end.
    POINT client = screenPoint;
    ::ScreenToClient(m_hWnd, &client);
    RECT area;
    GetClientRect(&area);
    if (!::PtInRect(&area, client))
        return -1;
    const int count = GetCount();
    if (count <= 0)
        return -1;
    RECT last;
    if (SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last)) == LB_ERR)
        return -1;
    return client.y >= last.bottom ? count : -1;
}

bool CDragListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != DragListMessage() || !lParam)
        return CListBox::OnChildNotify(message, wParam, lParam, result);
    const auto* info = reinterpret_cast<const DRAGLISTINFO*>(lParam);
    switch (info->uNotification) {
    case DL_BEGINDRAG:
        *result = BeginDrag(info->ptCursor);
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

BOOL CDragListBox::BeginDrag(POINT point)
{
    m_nSourceIndex = ::LBItemFromPt(m_hWnd, point, FALSE);
    m_nLastInsert = -1;
    if (m_nSourceIndex == -1)
        return FALSE;
    DrawInsert(m_nSourceIndex);
    return TRUE;
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
    int destination = ItemFromPt(point, FALSE);
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

void CDragListBox::DrawInsert(int item)
{
    if (item == m_nLastInsert)
        return;
    // The mark for the end of the list sits below the last entry; the control has no slot for it, so
    // the arrow is simply taken away there.
    ::DrawInsert(::GetParent(m_hWnd), m_hWnd, item < GetCount() ? item : -1);
    m_nLastInsert = item;
    // The arrow is drawn on the parent and reaches over the list's left edge, and taking it away
    // repaints only the parent: repaint the list too, so that no piece of an old arrow stays on it.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
}

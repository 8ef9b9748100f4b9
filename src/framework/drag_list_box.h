// A list box whose entries the user re-orders with the mouse, on the common controls' drag-list
// support: pressing the left button on an entry starts a drag, an arrow beside the list marks the
// insertion point while the mouse moves, and releasing the button moves the entry there. Dragging
// below the list scrolls it to its end, where the entry can be dropped after the last one.
#ifndef PRODLE_FRAMEWORK_DRAG_LIST_BOX_H
#define PRODLE_FRAMEWORK_DRAG_LIST_BOX_H

#include "framework/controls.h"

class CDragListBox : public CListBox {
public:
    CDragListBox() = default;

    // Binds the list box, makes it a drag list and lets its parent hand the drag notifications to it.
    bool SubclassWindow(HWND hWnd) override;

    // The insertion point under a screen point: the entry before which a drop would insert; the entry
    // count below the last entry, inside the list or below it once the last entry is in view; else -1.
    // With autoScroll, a point above or below the list scrolls it.
    int ItemFromPt(POINT screenPoint, bool autoScroll = true) const;

protected:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The drag's steps; each gets the cursor in screen coordinates.
    virtual bool BeginDrag(POINT point);
    virtual UINT Dragging(POINT point);
    virtual void Dropped(int sourceIndex, POINT point);
    virtual void CancelDrag(POINT point);
    // Marks the insertion point before `item` (after the last entry for the entry count); -1 removes
    // the mark.
    virtual void DrawInsert(int item);

private:
    // Where the mark for an insertion point goes, in the parent's client coordinates; empty for none.
    RECT InsertMarkRect(int item) const;

    int m_nSourceIndex = -1;
    RECT m_rcMark = {};
};

#endif

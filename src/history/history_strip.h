// The History window's heartbeat strip: a bar for each recent prodle, the newest at the right, as tall as
// its reply took (on a logarithmic scale, labelled at the left); a failure stands full height in the
// failure colour with a mark above it, so that colour is not its only sign. With more records than the
// strip has pixels, the newest that fit. It takes the focus: Left, Right, Home and End move a selection
// (marked below its bar), whose text its owner shows; the bar under the pointer tells the same text in a
// tooltip. It paints into a memory bitmap and copies that whole, so it never flickers. Screen readers
// read its window text, its name followed by the selection's text, which it tells them whenever it changes.
#ifndef PRODLE_HISTORY_HISTORY_STRIP_H
#define PRODLE_HISTORY_HISTORY_STRIP_H

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/wnd.h"
#include "engine/rules/prodle_record.h"

class HistoryStrip : public CWnd {
public:
    // The window class a dialog template names for the strip; registered before the dialog is made.
    static constexpr const char* kClassName = "ProdleHistoryStrip";
    static bool RegisterWindowClass();

    // The records shown (oldest first), which outlive the strip.
    explicit HistoryStrip(const std::vector<ProdleRecord>& records);
    ~HistoryStrip() override;

    // Takes over the template's window; the selection starts on the newest record.
    bool SubclassWindow(HWND hWnd) override;
    // The font of the scale's labels: the dialog's (a window of this class keeps none of its own).
    void SetFont(HFONT font);
    // Told the selection's text whenever the selection changes.
    void OnSelectionChanged(std::function<void(const std::string&)> changed);
    // A record was added: a selection on the newest stays on the newest, any other on its record.
    void RecordsChanged();
    // The selected record's text; empty without records.
    std::string SelectionText() const;

    // Draws the whole strip, `size` pixels, into `dc` (what a paint copies to the screen).
    void Draw(HDC dc, SIZE size) const;

    // A record for people: its local time, host, address, outcome and reply time.
    static std::string RecordText(const ProdleRecord& record);

protected:
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    // Where the bars stand in a strip of some size, and which records they are.
    struct Layout {
        RECT plot = {};    // the bars' area: 10 s (and failures) at its top
        size_t first = 0;  // the oldest record shown
        size_t shown = 0;  // the newest `shown` records
        int left = 0;      // the left edge of the oldest bar shown; the newest ends at plot.right
        int BarLeft(size_t index) const;
        int BarRight(size_t index) const { return BarLeft(index + 1); }
    };
    Layout MakeLayout(SIZE size) const;
    Layout CurrentLayout() const;
    std::optional<size_t> RecordAt(POINT point) const;
    int Scale(int pixels) const { return ::MulDiv(pixels, m_dpi, 96); }
    void Select(std::optional<size_t> record);
    void TellAccessibleName();

    void OnPaint();
    LRESULT OnEraseBackground(WPARAM, LPARAM) { return 1; }
    LRESULT OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTARROWS; }
    LRESULT OnKeyDown(WPARAM key, LPARAM);
    void OnLeftButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnFocusChanged();
    LRESULT OnNotify(WPARAM, LPARAM lParam);
    void OnDestroy();
    void DestroyTooltip();

    const std::vector<ProdleRecord>& m_records;
    std::string m_name;  // the template's text, which the selection's text follows in the window's text
    size_t m_count = 0;  // the records there were at the last change
    std::optional<size_t> m_selection;
    std::function<void(const std::string&)> m_selectionChanged;
    HFONT m_font = nullptr;  // not owned
    int m_dpi = 96;
    int m_gutter = 0;      // the labels' width, left of the bars
    int m_textHeight = 0;  // the labels' height
    HWND m_tooltip = nullptr;
    std::optional<size_t> m_tipRecord;  // the bar the tooltip speaks of
    std::string m_tipText;              // the tooltip's text while it is up
};

#endif

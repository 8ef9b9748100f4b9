// The History window's drawing time, for the benchmark (scripts/bench.sh): the window open with a full
// book (a day of 1,440 prodles, a minute apart, with a stretch of failures), its strip widened until every
// bar fits, and painted again and again as Windows paints it (WM_PAINT: the bars into the memory bitmap,
// the bitmap onto the window). Between two paints the program waits for messages, as it does when idle,
// so that Wine puts the last picture on the screen outside the time measured.
//   history_paint [paints]     50 by default
// Prints key=value lines: bars, paints, median_ms, worst_ms.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/resource.h"
#include "framework/calendar.h"
#include "history/history_book.h"
#include "history/history_window.h"
#include "milliseconds.h"

namespace {

constexpr int kWarmUpPaints = 3;
constexpr int kStripWidth = 1600;  // at 96 DPI: the scale's labels and 1,440 bars of one pixel
constexpr int kStripHeight = 120;

void HandlePendingMessages()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// A day at one prodle a minute: replies in 20 to 80 ms, a slow one now and then, and an hour in which the
// server did not answer.
void FillWithADay(HistoryBook* book)
{
    const int64_t now = EpochSecondsNow();
    unsigned noise = 1;
    for (size_t i = 0; i < kHistoryLength; ++i) {
        noise = noise * 1103515245u + 12345u;
        ProdleRecord record;
        record.startedAt = now - 60 * static_cast<int64_t>(kHistoryLength - i);
        record.host = "www.example.com";
        record.address = "127.0.0.9";
        record.replyMs = 20 + static_cast<int>((noise >> 16) % 60) + ((noise >> 8) % 50 == 0 ? 900 : 0);
        if (i >= 600 && i < 660) {
            record.outcome = ProdleOutcome::Refused;
            record.replyMs = -1;
        }
        book->Record(record);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int paints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    ::InitCommonControls();
    HistoryBook book{std::wstring()};  // kept in memory only
    FillWithADay(&book);
    HistoryWindow window(book, nullptr);
    window.Open();
    if (!window.IsOpen()) {
        std::printf("error=the History window did not open\n");
        return 1;
    }
    HWND strip = ::GetDlgItem(window, IDC_HISTORY_STRIP);
    RECT frame = {};
    window.GetWindowRect(&frame);
    ::MoveWindow(window, 0, 0, kStripWidth + 40, frame.bottom - frame.top + kStripHeight, TRUE);
    ::MoveWindow(strip, 10, 30, kStripWidth, kStripHeight, TRUE);
    HandlePendingMessages();

    std::vector<double> times;
    for (int i = 0; i < kWarmUpPaints + paints; ++i) {
        const double start = MillisecondsNow();
        ::RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const double took = MillisecondsNow() - start;
        if (i >= kWarmUpPaints)
            times.push_back(took);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        HandlePendingMessages();
    }
    std::sort(times.begin(), times.end());
    std::printf("bars=%zu\npaints=%zu\nmedian_ms=%.3f\nworst_ms=%.3f\n", book.Records().size(), times.size(),
                times[times.size() / 2], times.back());
    return 0;
}

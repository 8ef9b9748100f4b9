// The program's boxes, one at a time, each opened from the message loop (a posted message), never inside
// a call of the engine's. A box the engine waits for tells it when it is closed.
#ifndef PRODLE_FORM_BOX_QUEUE_H
#define PRODLE_FORM_BOX_QUEUE_H

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

class BoxQueue {
public:
    // `window` gets the message that opens the next box; `answered` hears of a closed box the engine
    // waits for.
    BoxQueue(HWND window, UINT message, std::function<void()> answered);

    void Queue(const std::string& text, bool engineWaits, UINT type = MB_OK);
    // The message has come: the next box opens, and the one after it is asked for when it closes.
    void OnShowNext();
    // The program ends: what waits is dropped, and a box that is up closes into nothing.
    void End();

private:
    struct Box {
        std::string text;
        bool engineWaits;
        UINT type;
    };

    HWND m_window;
    UINT m_message;
    std::function<void()> m_answered;
    std::deque<Box> m_boxes;
    bool m_up = false;
    bool m_ended = false;
};

#endif

// A message-only window (no picture, never shown): a place for the messages that only the program itself
// sends to itself, such as the news of sockets and lookups and its timers. Each message goes to the
// handler; what it does not take goes to Windows.
#ifndef PRODLE_FRAMEWORK_MESSAGE_WINDOW_H
#define PRODLE_FRAMEWORK_MESSAGE_WINDOW_H

#include <windows.h>

#include <functional>

class MessageWindow {
public:
    // True when the handler took the message, with its result.
    using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)>;

    explicit MessageWindow(Handler handler);
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;
    ~MessageWindow();

    HWND Handle() const { return m_window; }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Handler m_handler;
    HWND m_window = nullptr;
};

#endif

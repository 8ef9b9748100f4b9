#include "framework/message_window.h"

#include <utility>

namespace {

constexpr const char* kClassName = "ProdleMessageWindow";

}  // namespace

MessageWindow::MessageWindow(Handler handler) : m_handler(std::move(handler))
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &MessageWindow::WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassA(&windowClass);  // a second registration fails harmlessly
    m_window = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, this);
}

MessageWindow::~MessageWindow()
{
    if (m_window)
        ::DestroyWindow(m_window);
}

LRESULT CALLBACK MessageWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY)
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    LRESULT result = 0;
    if (self && self->m_handler && self->m_handler(message, wParam, lParam, &result))
        return result;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// A window object that deletes itself when its window goes must not be touched after that, even when
// the window is destroyed from inside one of its own message handlers ("Exit Prodle", the frame's
// close, a nested modal loop).
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "framework/wnd.h"

namespace {

// Keeps the memory of a deleted window object, poisoned, so that a later write to it shows.
struct Poisoned {
    void* block = nullptr;
    size_t size = 0;
    bool deleted = false;
    bool Untouched() const
    {
        const auto* bytes = static_cast<const unsigned char*>(block);
        for (size_t i = 0; i < size; ++i)
            if (bytes[i] != 0xDD)
                return false;
        return true;
    }
};
Poisoned g_poisoned;

class ClosingWindow : public CWnd {
public:
    static void* operator new(size_t size)
    {
        g_poisoned = {::operator new(size), size, false};
        return g_poisoned.block;
    }
    static void operator delete(void* block)
    {
        std::memset(block, 0xDD, g_poisoned.size);
        g_poisoned.deleted = true;  // freed at the end of the test
    }

    static HWND CreateOne()
    {
        static ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = CWnd::WindowProc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "ProdleClosingWindowTest";
            return ::RegisterClassA(&wc);
        }();
        return ::CreateWindowExA(0, MAKEINTATOM(atom), "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), new ClosingWindow);
    }

protected:
    static const MessageMap* ThisMessageMap()
    {
        static const MessageMapEntry entries[] = {MapMessage(WM_CLOSE, &ClosingWindow::OnClose)};
        static const MessageMap map = MakeMessageMap(nullptr, entries);
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
    void OnClose() { DestroyWindow(); }
    void PostNcDestroy() override { delete this; }
};

}  // namespace

TEST(WindowLifetime, AWindowDestroyedByItsOwnHandlerIsDeletedOnlyAfterTheHandler)
{
    HWND hWnd = ClosingWindow::CreateOne();
    ASSERT_NE(hWnd, nullptr);
    ::SendMessageA(hWnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_TRUE(g_poisoned.deleted);
    EXPECT_TRUE(g_poisoned.Untouched()) << "the object was written to after it was deleted";
    ::operator delete(g_poisoned.block);
}

TEST(WindowLifetime, AWindowDestroyedFromOutsideIsDeletedAtOnce)
{
    HWND hWnd = ClosingWindow::CreateOne();
    ASSERT_NE(hWnd, nullptr);
    ::DestroyWindow(hWnd);
    EXPECT_TRUE(g_poisoned.deleted);
    EXPECT_TRUE(g_poisoned.Untouched());
    ::operator delete(g_poisoned.block);
}

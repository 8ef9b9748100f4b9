// A window object that deletes itself when its window goes must not be touched after that, even when
// the window is destroyed from inside one of its own message handlers ("Exit Prodle", the frame's
// close, a nested modal loop) or from inside a command that its frame handed it by a direct call.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "framework/frame_wnd.h"
#include "framework/view.h"
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

void* NewPoisonable(size_t size)
{
    g_poisoned = {::operator new(size), size, false};
    return g_poisoned.block;
}

void DeletePoisoned(void* block)
{
    std::memset(block, 0xDD, g_poisoned.size);
    g_poisoned.deleted = true;  // freed at the end of the test
}

HWND CreateTestWindow(const char* className, DWORD style, HWND parent, CWnd* object)
{
    WNDCLASSA wc = {};
    if (!::GetClassInfoA(::GetModuleHandleA(nullptr), className, &wc)) {
        wc.lpfnWndProc = CWnd::WindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        ::RegisterClassA(&wc);
    }
    return ::CreateWindowExA(0, className, "", style, 0, 0, 10, 10, parent, nullptr,
                             ::GetModuleHandleA(nullptr), object);
}

class ClosingWindow : public CWnd {
public:
    static void* operator new(size_t size) { return NewPoisonable(size); }
    static void operator delete(void* block) { DeletePoisoned(block); }

    static HWND CreateOne()
    {
        return CreateTestWindow("ProdleClosingWindowTest", WS_OVERLAPPED, nullptr, new ClosingWindow);
    }

protected:
    static const MessageMap* ThisMessageMap()
    {
        static const MessageMapEntry entries[] = {MapMessage<&ClosingWindow::OnClose>(WM_CLOSE)};
        static const MessageMap map = MakeMessageMap(CWnd::ThisMessageMap(), entries);
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
    void OnClose() { DestroyWindow(); }
    void PostNcDestroy() override { delete this; }
};

// A view whose command, handed over by its frame, closes the frame (as an Exit chosen while a dialog
// of the command is open does) and afterwards still uses the view.
class ExitingView : public CView {
public:
    static constexpr UINT kExitCommand = 0x7F01;
    static void* operator new(size_t size) { return NewPoisonable(size); }
    static void operator delete(void* block) { DeletePoisoned(block); }

    bool Create(CFrameWnd* frame) override
    {
        return CreateTestWindow("ProdleExitingViewTest", WS_CHILD, frame->m_hWnd, this) != nullptr;
    }

protected:
    static const MessageMap* ThisMessageMap()
    {
        static const MessageMapEntry entries[] = {MapCommand<&ExitingView::OnExit>(kExitCommand)};
        static const MessageMap map = MakeMessageMap(CView::ThisMessageMap(), entries);
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
    void OnExit()
    {
        ::SendMessageA(::GetParent(m_hWnd), WM_CLOSE, 0, 0);
        ++m_nExits;
    }
    int m_nExits = 0;
};

}  // namespace

TEST(WindowLifetime, AViewIsDeletedOnlyAfterACommandItsFrameHandedItByADirectCall)
{
    auto* frame = new CFrameWnd;
    HWND frameWindow =
        CreateTestWindow(CFrameWnd::RegisterFrameClass(nullptr, 0), WS_OVERLAPPED, nullptr, frame);
    ASSERT_NE(frameWindow, nullptr);
    auto* view = new ExitingView;
    ASSERT_TRUE(view->Create(frame));
    frame->SetActiveView(view);

    ::SendMessageA(frameWindow, WM_COMMAND, ExitingView::kExitCommand, 0);  // as from the frame's menu
    EXPECT_FALSE(::IsWindow(frameWindow));
    EXPECT_TRUE(g_poisoned.deleted);
    EXPECT_TRUE(g_poisoned.Untouched()) << "the view was written to after it was deleted";
    ::operator delete(g_poisoned.block);
}

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

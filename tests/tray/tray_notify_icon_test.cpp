// The tray icon against the real notification area: what it hands to the shell and when, what its
// pictures show at the tray's sizes, and what the mouse callbacks do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/resource.h"
#include "form/form_ids.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
#include "support/notification_area.h"
#include "support/pump.h"
#include "tray/tray_notify_icon.h"

namespace {

struct ShellCall {
    DWORD message;
    UINT flags;
    std::string tip;
    HICON icon;
};

// Records every record handed to the shell, then forwards it to the real shell or answers `answer`.
class RecordingTrayIcon : public CTrayNotifyIcon {
public:
    std::vector<ShellCall> calls;
    bool forward = true;
    BOOL answer = TRUE;
    const NOTIFYICONDATAA& Record() const { return m_nid; }

protected:
    BOOL CallShell(DWORD message) override
    {
        calls.push_back({message, m_nid.uFlags, m_nid.szTip, m_nid.hIcon});
        return forward ? CTrayNotifyIcon::CallShell(message) : answer;
    }
};

// A hidden top-level window of ours that notes the commands it receives.
class CommandWindow : public CWnd {
public:
    CommandWindow()
    {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = CWnd::WindowProc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "ProdleTrayTestWindow";
            return ::RegisterClassA(&wc);
        }();
        EXPECT_NE(atom, 0);
        ::CreateWindowExA(0, "ProdleTrayTestWindow", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                          ::GetModuleHandleA(nullptr), this);
    }
    ~CommandWindow() override { DestroyWindow(); }

    std::vector<UINT> commands;
    int nullMessages = 0;

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_COMMAND)
            commands.push_back(LOWORD(wParam));
        nullMessages += message == WM_NULL;
        return CWnd::OnWndMsg(message, wParam, lParam, result);
    }
};

constexpr UINT kCallback = WM_PRODLE_TRAY_CALLBACK;

// The colours of an icon's fill (what is neither outline nor transparent) that make up more than a
// tenth of it, e.g. "white red": the icon drawn at its own size over a background of none of its colours.
std::string FillColours(HICON icon)
{
    ICONINFO info = {};
    if (!::GetIconInfo(icon, &info))
        return "no icon";
    BITMAP image = {};
    ::GetObjectA(info.hbmColor, sizeof image, &image);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    const int size = image.bmWidth;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = size;
    header.bmiHeader.biHeight = -size;  // top-down
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP canvas = ::CreateDIBSection(dc, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(dc, canvas);
    auto* pixels = static_cast<DWORD*>(bits);
    constexpr DWORD kBackground = 0x123456;
    std::fill_n(pixels, size * size, kBackground);
    ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    int fill = 0, white = 0, red = 0, green = 0;
    for (int i = 0; i < size * size; ++i) {
        const DWORD rgb = pixels[i] & 0xFFFFFF;
        if (rgb == kBackground || rgb == 0)
            continue;
        ++fill;
        white += rgb == 0xFFFFFF;
        red += rgb == 0xFF0000;
        green += rgb == 0x00FF00;
    }
    ::SelectObject(dc, previous);
    ::DeleteObject(canvas);
    ::DeleteDC(dc);
    std::string colours;
    for (const auto& [count, name] : {std::pair{white, "white"}, {red, "red"}, {green, "green"}})
        if (count * 10 > fill)
            colours += (colours.empty() ? "" : " ") + std::string(name);
    return colours;
}

class TrayIconTest : public testing::Test {
protected:
    void SetUp() override
    {
        KeepNotificationAreaOpen();
        ASSERT_NE(window.m_hWnd, nullptr);
        running = AfxGetApp()->LoadSmallIcon(IDI_RUNNING);
        stopped = AfxGetApp()->LoadSmallIcon(IDI_STOPPED);
    }

    BOOL CreateIcon() { return icon.Create(&window, ID_TRAY_ICON, "Prodle", running, kCallback); }

    CommandWindow window;
    RecordingTrayIcon icon;
    HICON running = nullptr;
    HICON stopped = nullptr;
};

TEST_F(TrayIconTest, NothingReachesTheShellUnlessCreated)
{
    EXPECT_FALSE(icon.SetTip("x"));
    EXPECT_FALSE(icon.SetIcon(stopped));
    EXPECT_EQ(icon.GetTip(), "");
    EXPECT_EQ(icon.GetIcon(), nullptr);
    icon.Remove();
    EXPECT_FALSE(icon.Restore()) << "an icon never asked for does not come with a new notification area";
    EXPECT_TRUE(icon.calls.empty());

    icon.forward = false;
    icon.answer = FALSE;
    EXPECT_FALSE(CreateIcon());
    EXPECT_FALSE(icon.SetTip("x"));
    EXPECT_FALSE(icon.SetIcon(IDI_STOPPED));
    icon.Remove();
    ASSERT_EQ(icon.calls.size(), 1u);
    EXPECT_EQ(icon.calls[0].message, static_cast<DWORD>(NIM_ADD));

    icon.answer = TRUE;
    EXPECT_TRUE(CreateIcon());
    icon.Remove();
    EXPECT_FALSE(icon.SetTip("x"));
    EXPECT_FALSE(icon.SetIcon(stopped));
    EXPECT_FALSE(icon.Restore()) << "a removed icon stays away";
    EXPECT_EQ(icon.calls.size(), 3u);  // the failed add, then the add and the delete
}

TEST_F(TrayIconTest, EachOperationHandsTheWholeRecordToTheShell)
{
    ASSERT_TRUE(CreateIcon());
    const NOTIFYICONDATAA& record = icon.Record();
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(record.hWnd, window.m_hWnd);
    EXPECT_EQ(record.uID, static_cast<UINT>(ID_TRAY_ICON));
    EXPECT_EQ(record.uCallbackMessage, kCallback);
    EXPECT_TRUE(ShellHasIcon(window.m_hWnd, ID_TRAY_ICON));

    EXPECT_EQ(icon.SetTip("Prodle in 24:59"), 1);
    EXPECT_EQ(icon.SetIcon(IDI_STOPPED), 1);
    EXPECT_EQ(icon.GetIcon(), stopped);
    EXPECT_EQ(icon.GetTip(), "Prodle in 24:59");
    ASSERT_TRUE(ForgetIcon(window.m_hWnd, ID_TRAY_ICON));
    EXPECT_EQ(icon.Restore(), 1);
    icon.Remove();
    EXPECT_FALSE(ShellHasIcon(window.m_hWnd, ID_TRAY_ICON));

    const std::vector<std::pair<DWORD, UINT>> expected = {{NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP},
                                                          {NIM_MODIFY, NIF_TIP},
                                                          {NIM_MODIFY, NIF_ICON},
                                                          {NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP},
                                                          {NIM_DELETE, 0}};
    std::vector<std::pair<DWORD, UINT>> actual;
    for (const ShellCall& call : icon.calls)
        actual.emplace_back(call.message, call.flags);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(icon.calls[0].icon, running);
    EXPECT_EQ(icon.calls[0].tip, "Prodle");
    EXPECT_EQ(icon.calls[3].icon, stopped);
    EXPECT_EQ(icon.calls[3].tip, "Prodle in 24:59");
}

TEST_F(TrayIconTest, LongTooltipIsCutTo63Characters)
{
    const std::string tip(100, 't');
    ASSERT_TRUE(icon.Create(&window, ID_TRAY_ICON, tip.c_str(), running, kCallback));
    EXPECT_EQ(icon.calls[0].tip, tip.substr(0, 63));
    EXPECT_TRUE(icon.SetTip(std::string(64, 'u').c_str()));
    EXPECT_EQ(icon.GetTip(), std::string(63, 'u'));
}

// The notification area shows the small image of each picture (16, 20 or 24 px at 100, 125 or 150 %);
// there each state must look as it does in the large one: counting down a white hand, stopped the
// hand with a red cross, waiting for a reply a green hand.
TEST_F(TrayIconTest, EachStateLooksTheSameAtEveryTraySizeAsInTheLargeImage)
{
    ASSERT_TRUE(CreateIcon());
    HMODULE module = ::GetModuleHandleA(nullptr);
    const std::pair<UINT, const char*> states[] = {
        {IDI_RUNNING, "white"}, {IDI_STOPPED, "white red"}, {IDI_IN_FLIGHT, "green"}};
    for (const auto& [id, colours] : states) {
        EXPECT_EQ(FillColours(::LoadIconA(module, MAKEINTRESOURCEA(id))), colours)
            << "icon " << id << ", large";
        ASSERT_TRUE(icon.SetIcon(id));
        EXPECT_EQ(FillColours(icon.GetIcon()), colours) << "icon " << id << " as handed to the shell";
        for (int size : {16, 20, 24}) {
            const auto image = static_cast<HICON>(
                ::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_SHARED));
            EXPECT_EQ(FillColours(image), colours) << "icon " << id << " at " << size << " px";
        }
    }
}

TEST_F(TrayIconTest, DoubleClickSendsTheMenusFirstCommandAtOnce)
{
    ASSERT_TRUE(CreateIcon());
    EXPECT_EQ(icon.OnTrayCallback(ID_TRAY_ICON + 1, WM_LBUTTONDBLCLK), 0);  // another icon's
    EXPECT_TRUE(window.commands.empty());

    for (const LPARAM mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN})
        EXPECT_EQ(icon.OnTrayCallback(ID_TRAY_ICON, mouse), 1);
    EXPECT_TRUE(window.commands.empty());

    EXPECT_EQ(icon.OnTrayCallback(ID_TRAY_ICON, WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(window.commands, std::vector<UINT>{ID_TRAY_RESTORE});
}

// What the timer saw of the pop-up menu while it was up, before dismissing it.
struct MenuVisit {
    bool seen = false;
    UINT defaultItem = ~0u;
    UINT firstId = 0;
} g_visit;

void CALLBACK VisitMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    HWND menuWindow = ::FindWindowA("#32768", nullptr);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, 0x01E1, 0, 0));  // MN_GETHMENU
    g_visit = {menu != nullptr, ::GetMenuDefaultItem(menu, TRUE, 0), ::GetMenuItemID(menu, 0)};
    ::EndMenu();
}

// Choosing an item is covered through the view (the program's exit from the tray menu). After the
// menu the owner is sent a message of its own, WM_NULL: the known way to make the menu close when the
// user clicks elsewhere.
TEST_F(TrayIconTest, RightButtonReleaseShowsTheMenuWithRestoreAsDefault)
{
    ASSERT_TRUE(CreateIcon());
    g_visit = MenuVisit{};
    ::SetTimer(nullptr, 0, 50, VisitMenu);
    EXPECT_EQ(icon.OnTrayCallback(ID_TRAY_ICON, WM_RBUTTONUP), 1);
    EXPECT_TRUE(g_visit.seen);
    EXPECT_EQ(g_visit.defaultItem, 0u);
    EXPECT_EQ(g_visit.firstId, static_cast<UINT>(ID_TRAY_RESTORE));
    PumpPending();
    EXPECT_TRUE(window.commands.empty());
    EXPECT_EQ(window.nullMessages, 1);
}

}  // namespace

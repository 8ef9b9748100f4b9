// The tray icon against the real notification area: what it hands to the shell and when, what its
// pictures show at the tray's sizes, and what the mouse callbacks do.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
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

// Records every record handed to the shell, then forwards it to the real shell, or refuses the
// messages in `refused` and takes the others. Windows 7's answer to where the icon is, when given.
class RecordingTrayIcon : public CTrayNotifyIcon {
public:
    std::vector<ShellCall> calls;
    bool forward = true;
    std::set<DWORD> refused;
    std::optional<RECT> iconRect;
    const NOTIFYICONDATAA& Record() const { return m_nid; }

protected:
    BOOL CallShell(DWORD message) override
    {
        calls.push_back({message, m_nid.uFlags, m_nid.szTip, m_nid.hIcon});
        return forward ? CTrayNotifyIcon::CallShell(message) : refused.count(message) == 0;
    }
    bool IconRect(RECT* rect) const override
    {
        if (iconRect)
            *rect = *iconRect;
        return iconRect.has_value();
    }
};

// A hidden window of ours that notes the commands it receives: top-level, or a child of `parent`.
class CommandWindow : public CWnd {
public:
    explicit CommandWindow(HWND parent = nullptr)
    {
        static const ATOM atom = [] {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = CWnd::WindowProc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "ProdleTrayTestWindow";
            return ::RegisterClassA(&wc);
        }();
        EXPECT_NE(atom, 0);
        ::CreateWindowExA(0, "ProdleTrayTestWindow", "", parent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 100, 100,
                          parent, nullptr, ::GetModuleHandleA(nullptr), this);
    }
    ~CommandWindow() override { DestroyWindow(); }

    std::vector<UINT> commands;
    int nullMessages = 0;
    int menusOpened = 0;

protected:
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_COMMAND)
            commands.push_back(LOWORD(wParam));
        nullMessages += message == WM_NULL;
        menusOpened += message == WM_INITMENUPOPUP;
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
    constexpr DWORD kBackground = 0x123456;
    int fill = 0, white = 0, red = 0, green = 0;
    for (const DWORD rgb : IconPixels(icon, image.bmWidth, kBackground)) {
        if (rgb == kBackground || rgb == 0)
            continue;
        ++fill;
        white += rgb == 0xFFFFFF;
        red += rgb == 0xFF0000;
        green += rgb == 0x00FF00;
    }
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

TEST_F(TrayIconTest, NothingReachesTheShellUnlessAskedFor)
{
    EXPECT_FALSE(icon.SetTip("x"));
    EXPECT_FALSE(icon.SetIcon(stopped));
    EXPECT_FALSE(icon.ShowBalloon("x", "y", NIIF_INFO));
    EXPECT_EQ(icon.GetTip(), "");
    EXPECT_EQ(icon.GetIcon(), nullptr);
    icon.Remove();
    EXPECT_FALSE(icon.Restore()) << "an icon never asked for does not come with a new notification area";
    EXPECT_TRUE(icon.calls.empty());

    // A refused add may have been carried out (Explorer answers late while it starts): the changes and
    // the delete go to the shell all the same, and one that accepts a change has the icon.
    icon.forward = false;
    icon.refused = {NIM_ADD, NIM_MODIFY};
    EXPECT_FALSE(CreateIcon());
    EXPECT_FALSE(icon.SetTip("x"));
    icon.Remove();
    icon.refused = {NIM_ADD};
    EXPECT_TRUE(CreateIcon());
    icon.Remove();
    EXPECT_FALSE(icon.SetTip("x"));
    EXPECT_FALSE(icon.SetIcon(stopped));
    EXPECT_FALSE(icon.Restore()) << "a removed icon stays away";
    std::vector<std::pair<DWORD, UINT>> actual;
    for (const ShellCall& call : icon.calls)
        actual.emplace_back(call.message, call.flags);
    const UINT whole = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    EXPECT_EQ(actual, (std::vector<std::pair<DWORD, UINT>>{{NIM_ADD, whole},
                                                           {NIM_MODIFY, whole},
                                                           {NIM_MODIFY, NIF_TIP},
                                                           {NIM_DELETE, 0},
                                                           {NIM_ADD, whole},
                                                           {NIM_MODIFY, whole},
                                                           {NIM_DELETE, 0}}));
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
    // The balloon's fields come with the second form of the record, for that call alone.
    EXPECT_EQ(icon.ShowBalloon("Title", "Text", NIIF_WARNING), 1);
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    icon.Remove();
    EXPECT_FALSE(ShellHasIcon(window.m_hWnd, ID_TRAY_ICON));

    const std::vector<std::pair<DWORD, UINT>> expected = {
        {NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP}, {NIM_MODIFY, NIF_TIP},  {NIM_MODIFY, NIF_ICON},
        {NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP}, {NIM_MODIFY, NIF_INFO}, {NIM_DELETE, 0}};
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

// What the timer saw of the pop-up menu while it was up, before choosing its first item with the right
// button.
struct MenuVisit {
    bool seen = false;
    UINT defaultItem = ~0u;
    UINT firstId = 0;
} g_visit;

void CALLBACK EndMenuLeftUp(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    ::EndMenu();
}

void CALLBACK VisitMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    HWND menuWindow = ::FindWindowA("#32768", nullptr);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, 0x01E1, 0, 0));  // MN_GETHMENU
    g_visit = {menu != nullptr, ::GetMenuDefaultItem(menu, TRUE, 0), ::GetMenuItemID(menu, 0)};
    // The menu takes the mouse's messages in screen coordinates.
    RECT item = {};
    ::GetMenuItemRect(nullptr, menu, 0, &item);
    const LPARAM where = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::PostMessageA(menuWindow, WM_RBUTTONDOWN, MK_RBUTTON, where);
    ::PostMessageA(menuWindow, WM_RBUTTONUP, 0, where);
    // A menu that ignores the right button is closed all the same.
    ::SetTimer(nullptr, 0, 500, EndMenuLeftUp);
}

// Choosing an item is covered through the view (the program's exit from the tray menu). The icon's
// window may be a child (the program's form): the menu still belongs to its top-level window, which
// alone can be brought to the front, and that window is sent a message of its own after the menu,
// WM_NULL: the known way to make the menu close when the user clicks elsewhere.
TEST_F(TrayIconTest, RightButtonReleaseShowsTheTopLevelWindowsMenuWithRestoreAsDefault)
{
    CommandWindow form(window.m_hWnd);
    ASSERT_TRUE(icon.Create(&form, ID_TRAY_ICON, "Prodle", running, kCallback));
    g_visit = MenuVisit{};
    ::SetTimer(nullptr, 0, 50, VisitMenu);
    EXPECT_EQ(icon.OnTrayCallback(ID_TRAY_ICON, WM_RBUTTONUP), 1);
    EXPECT_TRUE(g_visit.seen);
    EXPECT_EQ(g_visit.defaultItem, 0u);
    EXPECT_EQ(g_visit.firstId, static_cast<UINT>(ID_TRAY_RESTORE));
    PumpPending();
    EXPECT_EQ(window.menusOpened, 1);
    EXPECT_EQ(window.commands, std::vector<UINT>{ID_TRAY_RESTORE}) << "chosen with the right button";
    EXPECT_EQ(window.nullMessages, 1);
    EXPECT_EQ(form.menusOpened + form.nullMessages, 0);
    EXPECT_TRUE(form.commands.empty());
}

// The tip of the icon shows only while the pointer is on it: where Windows 7 and later show the icon
// (the form's test covers the spot of the last move, which is all that earlier versions give).
TEST_F(TrayIconTest, ThePointerIsOnTheIconWithinWhereWindowsShowsIt)
{
    ASSERT_TRUE(CreateIcon());
    icon.iconRect = RECT{190, 290, 214, 314};
    ASSERT_TRUE(::SetCursorPos(200, 300));
    EXPECT_FALSE(icon.PointerOnIcon()) << "no move on the icon yet";
    EXPECT_EQ(icon.OnTrayCallback(ID_TRAY_ICON, WM_MOUSEMOVE), 1);
    ASSERT_TRUE(::SetCursorPos(213, 313));
    EXPECT_TRUE(icon.PointerOnIcon());
    ASSERT_TRUE(::SetCursorPos(214, 300));
    EXPECT_FALSE(icon.PointerOnIcon());
}

}  // namespace

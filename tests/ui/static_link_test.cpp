// The About box's hyperlinks: what a click opens, the visited colour, hover and the click cool-down.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/resource.h"
#include "support/registry.h"
#include "support/test_app.h"
#include "ui/about_box.h"
#include "ui/static_link.h"

namespace {

constexpr COLORREF kBlue = 0x00FF0000;
constexpr COLORREF kPurple = 0x00800080;
const HBRUSH kNullBrush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));

HCURSOR Hand()
{
    return ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_LINK));
}

HCURSOR Arrow()
{
    return ::LoadCursorA(nullptr, IDC_ARROW);
}

void MoveMouse(HWND control, int x, int y)
{
    ::SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

// The static icon of the box (it has no id of its own).
HWND IconStatic(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return child;
    }
    return nullptr;
}

// Pixels of the control's client area that have exactly this colour, and the longest run of them in
// one row (the underline).
struct Ink {
    int pixels = 0;
    int longestRun = 0;
};

Ink InkOf(HWND control, COLORREF colour)
{
    ::UpdateWindow(::GetParent(control));
    ::UpdateWindow(control);
    RECT client;
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    Ink ink;
    for (int y = 0; y < client.bottom; ++y) {
        int run = 0;
        for (int x = 0; x < client.right; ++x) {
            if (::GetPixel(dc, x, y) == colour) {
                ++ink.pixels;
                ink.longestRun = std::max(ink.longestRun, ++run);
            } else {
                run = 0;
            }
        }
    }
    ::ReleaseDC(control, dc);
    return ink;
}

}  // namespace

class StaticLink : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
        SetSetting("AutoStart", "0");
        App().opened.clear();
        App().beeps.clear();
        App().shellResult = reinterpret_cast<HINSTANCE>(33);
        App().realShell = false;
        // A fresh run: nothing followed yet.
        App().m_bMailLinkVisited = false;
        App().m_bWebLinkVisited = false;
        ASSERT_TRUE(App().Start());
    }
    void TearDown() override
    {
        App().realShell = false;
        App().Stop();
        RemoveIniFile();
    }
};

TEST_F(StaticLink, TheMailboxOpensAsAMailtoLinkAndTheWebAddressAsItIs)
{
    std::string mailText;
    WithAboutBox([&](HWND box) {
        mailText = ItemText(box, IDC_STATIC_MAIL_LINK);
        ClickStatic(box, IDC_STATIC_MAIL_LINK);
        ClickStatic(box, IDC_STATIC_MAIL_LINK);
        ClickStatic(box, IDC_STATIC_WEB_LINK);
    });
    // The box's contact address is the one whose prefix marks a mailbox.
    EXPECT_NE(mailText.find(kContactMailboxPrefix), std::string::npos) << mailText;
    const std::vector<std::string> expected = {"mailto:" + mailText, "mailto:" + mailText,
                                               "http://www.prodle.example/"};
    EXPECT_EQ(App().opened, expected);
}

TEST_F(StaticLink, TheTargetIsTheTextAtTheFirstClickAndOnlyTheContactPrefixMakesAMailbox)
{
    WithAboutBox([&](HWND box) {
        // Another mailbox is not the contact one: it is handed over as it is.
        ::SetDlgItemTextA(box, IDC_STATIC_MAIL_LINK, "someone@prodle.example");
        ClickStatic(box, IDC_STATIC_MAIL_LINK);
        ClickStatic(box, IDC_STATIC_WEB_LINK);
        ::SetDlgItemTextA(box, IDC_STATIC_MAIL_LINK, "help@prodle.example");
        ::SetDlgItemTextA(box, IDC_STATIC_WEB_LINK, "http://changed.example/");
        ClickStatic(box, IDC_STATIC_MAIL_LINK);
        ClickStatic(box, IDC_STATIC_WEB_LINK);
    });
    const std::vector<std::string> expected = {"someone@prodle.example", "http://www.prodle.example/",
                                               "someone@prodle.example", "http://www.prodle.example/"};
    EXPECT_EQ(App().opened, expected);
}

TEST_F(StaticLink, AFollowedLinkTurnsPurpleAndStaysSoInLaterBoxes)
{
    WithAboutBox([&](HWND box) {
        HWND mail = ::GetDlgItem(box, IDC_STATIC_MAIL_LINK);
        const Colouring before = ColouringOf(box, mail);
        EXPECT_EQ(before.brush, kNullBrush);
        EXPECT_EQ(before.text, kBlue);
        EXPECT_EQ(before.bkMode, TRANSPARENT);
        EXPECT_TRUE(before.underlined);
        // Colouring turns click notifications on.
        EXPECT_TRUE(::GetWindowLongPtrA(mail, GWL_STYLE) & SS_NOTIFY);

        ClickStatic(box, IDC_STATIC_MAIL_LINK);
        EXPECT_EQ(ColouringOf(box, mail).text, kPurple);
    });
    EXPECT_TRUE(App().m_bMailLinkVisited);
    EXPECT_FALSE(App().m_bWebLinkVisited);
    EXPECT_TRUE(App().beeps.empty());

    WithAboutBox([&](HWND box) {
        EXPECT_EQ(ColouringOf(box, ::GetDlgItem(box, IDC_STATIC_MAIL_LINK)).text, kPurple);
        EXPECT_EQ(ColouringOf(box, ::GetDlgItem(box, IDC_STATIC_WEB_LINK)).text, kBlue);
    });
}

TEST_F(StaticLink, TheLinkIsDrawnUnderlinedInBlueThenInPurple)
{
    WithAboutBox([&](HWND box) {
        HWND web = ::GetDlgItem(box, IDC_STATIC_WEB_LINK);
        const Ink blue = InkOf(web, kBlue);
        EXPECT_GT(blue.pixels, 20);
        // The underline runs under most of the text, far longer than any letter.
        EXPECT_GT(blue.longestRun, 40);

        ClickStatic(box, IDC_STATIC_WEB_LINK);
        const Ink purple = InkOf(web, kPurple);
        EXPECT_GT(purple.longestRun, 40);
        EXPECT_EQ(InkOf(web, kBlue).pixels, 0);
    });
}

TEST_F(StaticLink, AFailedOpenBeepsAndLeavesTheLinkUnvisited)
{
    App().shellResult = reinterpret_cast<HINSTANCE>(2);  // file not found
    WithAboutBox([&](HWND box) {
        ClickStatic(box, IDC_STATIC_WEB_LINK);
        EXPECT_EQ(ColouringOf(box, ::GetDlgItem(box, IDC_STATIC_WEB_LINK)).text, kBlue);
        // The cool-down runs all the same.
        EXPECT_TRUE(LinkOf(box, IDC_STATIC_WEB_LINK)->m_bClickTimer);
    });
    EXPECT_EQ(App().opened.size(), 1u);
    EXPECT_EQ(App().beeps, std::vector<UINT>{0});
    EXPECT_FALSE(App().m_bWebLinkVisited);
}

TEST_F(StaticLink, AStaticThatIsNotTextKeepsTheParentsColours)
{
    WithAboutBox([&](HWND box) {
        HWND icon = IconStatic(box);
        ASSERT_NE(icon, nullptr);
        const Colouring plain = ColouringOf(box, icon);
        const LONG_PTR ownProcedure = ::GetWindowLongPtrA(icon, GWLP_WNDPROC);
        {
            CStaticLink link;
            ASSERT_TRUE(link.SubclassWindow(icon));
            bool visited = false;
            link.m_pbVisited = &visited;
            const Colouring asLink = ColouringOf(box, icon);
            EXPECT_NE(asLink.brush, kNullBrush);
            EXPECT_EQ(asLink.brush, plain.brush);
            EXPECT_EQ(asLink.text, plain.text);
            EXPECT_EQ(asLink.bkMode, plain.bkMode);
            EXPECT_FALSE(asLink.underlined);
            EXPECT_TRUE(::GetWindowLongPtrA(icon, GWL_STYLE) & SS_NOTIFY);
        }
        // The link has gone but the static is still there: its messages must not reach the old object.
        EXPECT_EQ(::GetWindowLongPtrA(icon, GWLP_WNDPROC), ownProcedure);
        MoveMouse(icon, 1, 1);
        ::SendMessageA(icon, WM_TIMER, TIMER_LINK_COOL_DOWN, 0);
        EXPECT_EQ(ColouringOf(box, icon).brush, plain.brush);
    });
}

TEST_F(StaticLink, HoveringCapturesTheMouseAndShowsTheHand)
{
    WithAboutBox([&](HWND box) {
        HWND web = ::GetDlgItem(box, IDC_STATIC_WEB_LINK);
        CStaticLink* link = LinkOf(box, IDC_STATIC_WEB_LINK);
        ASSERT_NE(link, nullptr);
        MoveMouse(web, 2, 2);
        EXPECT_TRUE(link->m_bCaptured);
        EXPECT_EQ(::GetCapture(), web);
        EXPECT_EQ(::GetCursor(), Hand());

        MoveMouse(web, -5, 2);
        EXPECT_FALSE(link->m_bCaptured);
        EXPECT_EQ(::GetCapture(), nullptr);
        EXPECT_EQ(::GetCursor(), Arrow());
    });
}

TEST_F(StaticLink, ACaptureTakenByAnotherWindowEndsTheHoverSoTheNextVisitShowsTheHandAgain)
{
    WithAboutBox([&](HWND box) {
        HWND web = ::GetDlgItem(box, IDC_STATIC_WEB_LINK);
        CStaticLink* link = LinkOf(box, IDC_STATIC_WEB_LINK);
        ASSERT_NE(link, nullptr);
        MoveMouse(web, 2, 2);
        ASSERT_EQ(::GetCapture(), web);

        ::SetCapture(box);  // as a menu or another program taking the mouse would
        EXPECT_FALSE(link->m_bCaptured);
        ::ReleaseCapture();
        ::SetCursor(Arrow());

        MoveMouse(web, 3, 3);
        EXPECT_TRUE(link->m_bCaptured);
        EXPECT_EQ(::GetCapture(), web);
        EXPECT_EQ(::GetCursor(), Hand());
        MoveMouse(web, -1, -1);
    });
}

TEST_F(StaticLink, AfterAClickMovesAreIgnoredUntilTheCoolDownTimerFires)
{
    WithAboutBox([&](HWND box) {
        HWND web = ::GetDlgItem(box, IDC_STATIC_WEB_LINK);
        CStaticLink* link = LinkOf(box, IDC_STATIC_WEB_LINK);
        ASSERT_NE(link, nullptr);
        MoveMouse(web, 2, 2);
        ClickStatic(box, IDC_STATIC_WEB_LINK);
        EXPECT_FALSE(link->m_bCaptured);
        EXPECT_EQ(::GetCapture(), nullptr);
        EXPECT_EQ(::GetCursor(), Arrow());
        EXPECT_TRUE(link->m_bClickTimer);

        MoveMouse(web, 3, 3);
        EXPECT_FALSE(link->m_bCaptured);
        EXPECT_EQ(::GetCapture(), nullptr);

        ::SendMessageA(web, WM_TIMER, TIMER_LINK_COOL_DOWN - 1, 0);
        EXPECT_TRUE(link->m_bClickTimer);
        ::SendMessageA(web, WM_TIMER, TIMER_LINK_COOL_DOWN, 0);
        EXPECT_FALSE(link->m_bClickTimer);

        MoveMouse(web, 3, 3);
        EXPECT_TRUE(link->m_bCaptured);
        EXPECT_EQ(::GetCursor(), Hand());
        MoveMouse(web, -1, -1);
    });
}

// The real shell, with targets that open nothing outside the test: a missing file fails; an existing
// program that exits at once (the system's DLL runner, given nothing to run) succeeds.
TEST_F(StaticLink, TheRealShellOpensAnExistingTargetAndFailsOnAMissingOne)
{
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    const std::string runner = std::string(system) + "\\rundll32.exe";
    ASSERT_NE(::GetFileAttributesA(runner.c_str()), INVALID_FILE_ATTRIBUTES);
    App().realShell = true;
    WithAboutBox([&](HWND box) {
        ::SetDlgItemTextA(box, IDC_STATIC_MAIL_LINK, "C:\\no\\such\\folder\\prodle-link.txt");
        ClickStatic(box, IDC_STATIC_MAIL_LINK);
        ::SetDlgItemTextA(box, IDC_STATIC_WEB_LINK, runner.c_str());
        ClickStatic(box, IDC_STATIC_WEB_LINK);
    });
    EXPECT_EQ(App().beeps.size(), 1u);
    EXPECT_FALSE(App().m_bMailLinkVisited);
    EXPECT_TRUE(App().m_bWebLinkVisited);
}

// Not expected in the program, but safe: a static without a font of its own is underlined in the system
// font, and a link whose owner gave it no flag keeps its visited state itself.
TEST_F(StaticLink, AStaticWithoutFontOrVisitedFlagStillWorks)
{
    WithAboutBox([&](HWND box) {
        HWND bare = ::CreateWindowExA(0, "Static", "http://bare.example/", WS_CHILD | WS_VISIBLE | SS_LEFT, 0,
                                      0, 120, 16, box, nullptr, nullptr, nullptr);
        ASSERT_NE(bare, nullptr);
        ASSERT_EQ(::SendMessageA(bare, WM_GETFONT, 0, 0), 0);
        CStaticLink link;
        ASSERT_TRUE(link.SubclassWindow(bare));
        const Colouring before = ColouringOf(box, bare);
        EXPECT_TRUE(before.underlined);
        EXPECT_EQ(before.text, kBlue);
        ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(0, STN_CLICKED), reinterpret_cast<LPARAM>(bare));
        EXPECT_EQ(ColouringOf(box, bare).text, kPurple);
        ::DestroyWindow(bare);
        EXPECT_EQ(link.m_hWnd, nullptr);
    });
    EXPECT_EQ(App().opened, std::vector<std::string>{"http://bare.example/"});
}

// Loading the host list into the form, and reaching the list's dialogs from the main frame's menu.
#include "app/resource.h"
#include "settings/host_list_fixture.h"
#include "support/dialog_script.h"
#include "support/pump.h"

TEST_F(HostListTest, TheListEndsAtTheFirstEmptyEntry)
{
    StartWith({"alpha", "", "gamma"}, std::nullopt);
    EXPECT_EQ(ComboEntries(), Names{"alpha"});
    PumpPending();  // a box of the start-up would be queued by now
    EXPECT_TRUE(App().boxes.empty());
    EXPECT_EQ(CurrentHost(), "alpha");
}

TEST_F(HostListTest, TheFrameCarriesTheMenuWithBothDialogCommands)
{
    StartWith(kFive, 0);
    HMENU menu = ::GetMenu(App().MainWindow());
    ASSERT_NE(menu, nullptr);
    HMENU prodle = ::GetSubMenu(menu, 0);
    ASSERT_NE(prodle, nullptr);
    char text[64] = {};
    ::GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Prodle");
    EXPECT_EQ(::GetMenuItemID(prodle, 0), static_cast<UINT>(ID_EDIT_NAMES));
    EXPECT_EQ(::GetMenuItemID(prodle, 1), static_cast<UINT>(ID_OPTIONS));
    EXPECT_EQ(::GetMenuState(prodle, 0, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED), 0u);
    EXPECT_EQ(::GetMenuState(prodle, 1, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED), 0u);
}

// Menu commands reach the frame as WM_COMMAND; the frame hands them to the view, which opens the dialog.
TEST_F(HostListTest, MenuCommandsSentToTheFrameOpenTheDialogs)
{
    StartWith(kFive, 0);
    for (const auto& [command, caption] :
         {std::make_pair(ID_EDIT_NAMES, "Edit Names"), std::make_pair(ID_OPTIONS, "Options")}) {
        SCOPED_TRACE(caption);
        DialogScript script(caption);
        script.Click(IDCANCEL);
        script.Arm();
        ::SendMessageA(App().MainWindow(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
        EXPECT_TRUE(script.Finished()) << script.Failure();
        EXPECT_EQ(script.Failure(), "");
    }
}

// With the window restored, the user clicks "&Prodle" in the menu bar, then "&Options...".
TEST_F(HostListTest, TheOptionsItemOpensTheDialogWithTheMouseOnTheRestoredWindow)
{
    StartWith(kFive, 0);
    ::SendMessageA(App().MainWindow(), WM_COMMAND, ID_TRAY_RESTORE, 0);
    ASSERT_TRUE(::IsWindowVisible(App().MainWindow()));
    PumpFor(100);

    HWND frame = App().MainWindow();
    HMENU menu = ::GetMenu(frame);
    bool popupClicked = false;
    DialogScript script("Options");
    script.Before([&](HWND) {
        RECT item;
        ::GetMenuItemRect(frame, menu, 0, &item);
        MoveMouseTo({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
        return true;
    });
    script.Before([](HWND) {
        PressLeftButton(true);
        return true;
    });
    script.Before([](HWND) {
        PressLeftButton(false);
        return true;
    });
    script.Before([&](HWND) {
        RECT item;
        if (!::GetMenuItemRect(nullptr, ::GetSubMenu(menu, 0), 1, &item) || item.right <= item.left)
            return false;  // the pop-up is not up yet
        MoveMouseTo({(item.left + item.right) / 2, (item.top + item.bottom) / 2});
        return true;
    });
    script.Before([](HWND) {
        PressLeftButton(true);
        return true;
    });
    script.Before([&](HWND) {
        PressLeftButton(false);
        popupClicked = true;
        return true;
    });
    script.Click(IDCANCEL);
    script.Arm();
    EXPECT_TRUE(PumpUntil([&] { return script.Finished(); }, 15000)) << script.Failure();
    EXPECT_TRUE(popupClicked);
}

// The Edit Names dialog, driven while it runs: re-ordering by a real mouse drag, deleting, restoring
// the default set, and what OK and Cancel leave in the store and in the form.
#include <algorithm>

#include "app/resource.h"
#include "settings/default_hosts.h"
#include "settings/host_list_fixture.h"
#include "support/dialog_script.h"
#include "support/pump.h"

namespace {

Names ListEntries(HWND dialog)
{
    HWND list = ::GetDlgItem(dialog, IDC_LIST_HOSTS);
    Names names;
    const int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[300] = {};
        ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        names.push_back(text);
    }
    return names;
}

int ListSelection(HWND dialog)
{
    return static_cast<int>(::SendMessageA(::GetDlgItem(dialog, IDC_LIST_HOSTS), LB_GETCURSEL, 0, 0));
}

// The last entry's place in the list's client area; the list shows it whole when its bottom is in.
RECT LastEntry(HWND list)
{
    RECT entry = {};
    const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&entry));
    return entry;
}

// Whether anything is drawn in the margin left of the list, level with a line of the list (a client
// coordinate of the list): where the insertion mark shows.
bool MarkBesideList(HWND list, int line)
{
    HWND dialog = ::GetParent(list);
    RECT frame;
    ::GetWindowRect(list, &frame);
    ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&frame), 2);
    POINT level = {0, line};
    ::MapWindowPoints(list, dialog, &level, 1);
    HDC dc = ::GetDC(dialog);
    bool drawn = false;
    for (int x = frame.left - 4; x < frame.left; ++x)
        for (int y = level.y - 1; y <= level.y + 1; ++y)
            drawn = drawn || ::GetPixel(dc, x, y) != ::GetSysColor(COLOR_BTNFACE);
    ::ReleaseDC(dialog, dc);
    return drawn;
}

Names DefaultSet()
{
    const std::vector<CString> hosts = DefaultHosts();
    return Names(hosts.begin(), hosts.end());
}

}  // namespace

class EditNames : public HostListTest {
protected:
    // Opens the dialog as the menu command does and runs the script in it until it closes.
    void Run(DialogScript& script)
    {
        script.Arm();
        ::SendMessageA(form, WM_COMMAND, ID_EDIT_NAMES, 0);
        EXPECT_TRUE(script.Finished()) << script.Failure();
        EXPECT_EQ(script.Failure(), "");
    }
};

TEST_F(EditNames, OpensWithTheFormsListAndTheCurrentHostSelected)
{
    StartWith(kFive, 2);
    DialogScript script("Edit Names");
    script.Inspect([&](HWND dialog) {
        EXPECT_EQ(ListEntries(dialog), kFive);
        EXPECT_EQ(ListSelection(dialog), 2);
        // The list keeps the order it is given and holds one selection.
        const LONG_PTR style = ::GetWindowLongPtrA(::GetDlgItem(dialog, IDC_LIST_HOSTS), GWL_STYLE);
        EXPECT_EQ(style & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0);
        EXPECT_EQ(style & (LBS_NOTIFY | LBS_NOINTEGRALHEIGHT), LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
        EXPECT_EQ(ControlText(dialog, IDC_BUTTON_DELETE_SELECTION), "Delete Selection");
        EXPECT_EQ(ControlText(dialog, IDC_BUTTON_RESTORE_DEFAULT), "Restore Default");
        EXPECT_EQ(::GetDlgItem(dialog, IDOK), ::GetFocus());
    });
    script.Click(IDCANCEL);
    Run(script);
}

TEST_F(EditNames, DraggingTheCurrentHostToTheTopKeepsItCurrent)
{
    StartWith(kFive, 2);
    const Names reordered = {"gamma.test", "alpha.test", "beta.test", "delta.test", "epsilon.test"};
    DialogScript script("Edit Names");
    script.Drag(IDC_LIST_HOSTS, 2, 0);
    script.Inspect([&](HWND dialog) { EXPECT_EQ(ListEntries(dialog), reordered); });
    script.Click(IDOK);
    Run(script);

    EXPECT_EQ(StoredNames(5), reordered);
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(ComboEntries(), reordered);
    EXPECT_EQ(ComboSelection(), 0);
    EXPECT_EQ(CurrentHost(), "gamma.test");
    // The engine was left alone.
    EXPECT_EQ(ControlText(form, IDC_STATIC_STATUS), "PLEASE START ME");
}

// A list too long to show whole: held below it, it scrolls to its end, the mark shows after the last
// entry, and the entry is dropped there.
TEST_F(EditNames, DraggingDownAndPastTheEndOfALongList)
{
    Names names;
    for (int i = 0; i < 12; ++i)
        names.push_back("host" + std::to_string(i) + ".test");
    StartWith(names, 0);
    Names host0BeforeHost3 = names;
    std::rotate(host0BeforeHost3.begin(), host0BeforeHost3.begin() + 1, host0BeforeHost3.begin() + 3);
    Names host1ToTheEnd = host0BeforeHost3;
    std::rotate(host1ToTheEnd.begin(), host1ToTheEnd.begin() + 1, host1ToTheEnd.end());
    DialogScript script("Edit Names");
    script.Drag(IDC_LIST_HOSTS, 0, 3);
    script.Inspect([&](HWND dialog) { EXPECT_EQ(ListEntries(dialog), host0BeforeHost3); });
    int ticksHeld = 0;
    bool markAfterTheLast = false;
    script.Drag(IDC_LIST_HOSTS, 0, 12, [&](HWND dialog) {
        HWND list = ::GetDlgItem(dialog, IDC_LIST_HOSTS);
        RECT area;
        ::GetClientRect(list, &area);
        if (LastEntry(list).bottom > area.bottom && ++ticksHeld < 100)
            return false;
        markAfterTheLast = MarkBesideList(list, LastEntry(list).bottom);
        return true;
    });
    script.Inspect([&](HWND dialog) {
        EXPECT_EQ(ListEntries(dialog), host1ToTheEnd);
        HWND list = ::GetDlgItem(dialog, IDC_LIST_HOSTS);
        EXPECT_FALSE(MarkBesideList(list, LastEntry(list).bottom)) << "the mark goes with the drop";
    });
    script.Click(IDOK);
    Run(script);
    EXPECT_TRUE(markAfterTheLast);
    EXPECT_EQ(StoredNames(12), host1ToTheEnd);
    EXPECT_EQ(Setting("ComboNameSel"), "1");
}

TEST_F(EditNames, PickingAnotherEntryLeavesTheCurrentHostSelected)
{
    StartWith(kFive, 2);
    DialogScript script("Edit Names");
    script.SelectListEntry(IDC_LIST_HOSTS, 4);
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(StoredNames(5), kFive);
    EXPECT_EQ(Setting("ComboNameSel"), "2");
    EXPECT_EQ(ComboSelection(), 2);
    EXPECT_EQ(CurrentHost(), "gamma.test");
}

TEST_F(EditNames, DeletingTheCurrentHostMakesTheFirstEntryCurrent)
{
    StartWith(kFive, 2);
    DialogScript script("Edit Names");
    script.Click(IDC_BUTTON_DELETE_SELECTION);
    script.Inspect([&](HWND dialog) {
        EXPECT_EQ(ListEntries(dialog), (Names{"alpha.test", "beta.test", "delta.test", "epsilon.test"}));
        EXPECT_EQ(ListSelection(dialog), LB_ERR);
    });
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(StoredNames(5), (Names{"alpha.test", "beta.test", "delta.test", "epsilon.test", ""}));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(ComboSelection(), 0);
    EXPECT_EQ(CurrentHost(), "alpha.test");
}

TEST_F(EditNames, CuttingFiveEntriesToTwoBlanksTheRest)
{
    StartWith(kFive, 1);
    DialogScript script("Edit Names");
    for (int index : {4, 3, 2}) {
        script.SelectListEntry(IDC_LIST_HOSTS, index);
        script.Click(IDC_BUTTON_DELETE_SELECTION);
    }
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(StoredNames(6), (Names{"alpha.test", "beta.test", "", "", "", "<missing>"}));
    EXPECT_EQ(Setting("ComboNameSel"), "1");
    EXPECT_EQ(ComboEntries(), (Names{"alpha.test", "beta.test"}));
    EXPECT_EQ(ComboSelection(), 1);
}

TEST_F(EditNames, DeletingEveryEntryBringsBackTheDefaultSet)
{
    StartWith(kFive, 3);
    DialogScript script("Edit Names");
    for (int i = 0; i < 5; ++i) {
        script.SelectListEntry(IDC_LIST_HOSTS, 0);
        script.Click(IDC_BUTTON_DELETE_SELECTION);
    }
    script.Inspect([&](HWND dialog) { EXPECT_TRUE(ListEntries(dialog).empty()); });
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(StoredNames(6), (Names{"", "", "", "", "", "<missing>"}));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    ASSERT_TRUE(PumpUntil([] { return App().boxes.size() == 1; }));
    EXPECT_EQ(App().boxes[0].text, "Prodle is restoring the default domain set.");
    EXPECT_EQ(ComboEntries(), DefaultSet());
    EXPECT_EQ(ComboSelection(), 0);
}

TEST_F(EditNames, RestoreDefaultThenOkStoresTheDefaultSet)
{
    StartWith(kFive, 2);
    const Names defaults = DefaultSet();
    DialogScript script("Edit Names");
    script.Click(IDC_BUTTON_RESTORE_DEFAULT);
    script.Inspect([&](HWND dialog) {
        EXPECT_EQ(ListEntries(dialog), defaults);
        EXPECT_EQ(ListSelection(dialog), LB_ERR);
    });
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(StoredNames(5), (Names{defaults[0], defaults[1], defaults[2], "", ""}));
    EXPECT_EQ(Setting("ComboNameSel"), "0");
    EXPECT_EQ(ComboEntries(), defaults);
    EXPECT_TRUE(App().boxes.empty());
}

TEST_F(EditNames, DeleteWithoutASelectionDoesNothing)
{
    StartWith(kFive, 2);
    DialogScript script("Edit Names");
    script.SelectListEntry(IDC_LIST_HOSTS, -1);
    script.Click(IDC_BUTTON_DELETE_SELECTION);
    script.Inspect([&](HWND dialog) { EXPECT_EQ(ListEntries(dialog), kFive); });
    script.Click(IDOK);
    Run(script);
    EXPECT_EQ(StoredNames(6), (Names{kFive[0], kFive[1], kFive[2], kFive[3], kFive[4], "<missing>"}));
    EXPECT_EQ(Setting("ComboNameSel"), "2");
}

TEST_F(EditNames, CancelAfterChangesStoresNothing)
{
    StartWith(kFive, 2);
    DialogScript script("Edit Names");
    script.Drag(IDC_LIST_HOSTS, 4, 0);
    script.Click(IDC_BUTTON_DELETE_SELECTION);
    script.Click(IDC_BUTTON_RESTORE_DEFAULT);
    script.Click(IDCANCEL);
    Run(script);
    EXPECT_EQ(StoredNames(6), (Names{kFive[0], kFive[1], kFive[2], kFive[3], kFive[4], "<missing>"}));
    EXPECT_EQ(Setting("ComboNameSel"), "2");
    EXPECT_EQ(ComboEntries(), kFive);
    EXPECT_EQ(ComboSelection(), 2);
    EXPECT_EQ(CurrentHost(), "gamma.test");
}

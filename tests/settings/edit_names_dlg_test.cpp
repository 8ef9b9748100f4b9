// The Edit Names dialog, driven while it runs: re-ordering by a real mouse drag, deleting, restoring
// the default set, and what OK and Cancel leave in the store and in the form.
#include <algorithm>

#include "app/resource.h"
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
    EXPECT_EQ(ComboEntries(), kDefaultHosts);
    EXPECT_EQ(ComboSelection(), 0);
}

namespace {

// Five hosts stored, the one at `selection` current; what the user does, then OK or Cancel. Each row:
// what it does; what the dialog shows before it closes (entries, selection); what is stored
// (ComboName0..4, the next one missing; ComboNameSel); what the form and the engine take
// (entries, selection, the host of the next prodles).
struct EditCase {
    const char* name;
    int selection;
    void (*act)(DialogScript& script);
    Names shown;
    int shownSelection;  // kAnySelection: not looked at
    int closeWith;
    Names stored;
    const char* storedSelection;
    Names combo;
    int comboSelection;
    const char* currentHost;
};
constexpr int kAnySelection = -2;

// clang-format off
const Names kGammaFirst = {"gamma.test", "alpha.test", "beta.test", "delta.test", "epsilon.test"};
const Names kWithoutGamma = {"alpha.test", "beta.test", "delta.test", "epsilon.test"};
const Names kAlphaBeta = {"alpha.test", "beta.test"};
constexpr int kList = IDC_LIST_HOSTS, kDelete = IDC_BUTTON_DELETE_SELECTION, kRestore = IDC_BUTTON_RESTORE_DEFAULT;

const EditCase kEditCases[] = {
    {"DraggingTheCurrentHostToTheTopKeepsItCurrent", 2,
     [](DialogScript& s) { s.Drag(kList, 2, 0); },
     kGammaFirst, kAnySelection, IDOK,  kGammaFirst, "0",  kGammaFirst, 0, "gamma.test"},
    {"PickingAnotherEntryLeavesTheCurrentHostSelected", 2,
     [](DialogScript& s) { s.SelectListEntry(kList, 4); },
     kFiveHosts, 4, IDOK,  kFiveHosts, "2",  kFiveHosts, 2, "gamma.test"},
    {"DeletingTheCurrentHostMakesTheFirstEntryCurrent", 2,
     [](DialogScript& s) { s.Click(kDelete); },
     kWithoutGamma, LB_ERR, IDOK,
     {"alpha.test", "beta.test", "delta.test", "epsilon.test", ""}, "0",  kWithoutGamma, 0, "alpha.test"},
    {"CuttingFiveEntriesToTwoBlanksTheRest", 1,
     [](DialogScript& s) {
         for (int index : {4, 3, 2})
             s.SelectListEntry(kList, index).Click(kDelete);
     },
     kAlphaBeta, LB_ERR, IDOK,  {"alpha.test", "beta.test", "", "", ""}, "1",  kAlphaBeta, 1, "beta.test"},
    {"RestoreDefaultThenOkStoresTheDefaultSet", 2,
     [](DialogScript& s) { s.Click(kRestore); },
     kDefaultHosts, LB_ERR, IDOK,
     {"www.example.com", "1.1.1.1", "www.wikipedia.org", "", ""}, "0",  kDefaultHosts, 0, "www.example.com"},
    {"DeleteWithoutASelectionDoesNothing", 2,
     [](DialogScript& s) { s.SelectListEntry(kList, -1).Click(kDelete); },
     kFiveHosts, LB_ERR, IDOK,  kFiveHosts, "2",  kFiveHosts, 2, "gamma.test"},
    {"CancelAfterChangesStoresNothing", 2,
     [](DialogScript& s) { s.Drag(kList, 4, 0).Click(kDelete).Click(kRestore); },
     kDefaultHosts, LB_ERR, IDCANCEL,  kFiveHosts, "2",  kFiveHosts, 2, "gamma.test"},
};
// clang-format on

}  // namespace

TEST_F(EditNames, EachEditLeavesWhatTheUserLeft)
{
    for (const EditCase& c : kEditCases) {
        SCOPED_TRACE(c.name);
        App().Stop();
        RemoveBaseKey();
        SetSetting("AutoStart", "0");
        StartWith(kFive, c.selection);
        DialogScript script("Edit Names");
        c.act(script);
        script.Inspect([&](HWND dialog) {
            EXPECT_EQ(ListEntries(dialog), c.shown);
            if (c.shownSelection != kAnySelection) {
                EXPECT_EQ(ListSelection(dialog), c.shownSelection);
            }
        });
        script.Click(c.closeWith);
        Run(script);

        Names stored = c.stored;
        stored.push_back("<missing>");
        EXPECT_EQ(StoredNames(6), stored);
        EXPECT_EQ(Setting("ComboNameSel"), c.storedSelection);
        EXPECT_EQ(ComboEntries(), c.combo);
        EXPECT_EQ(ComboSelection(), c.comboSelection);
        EXPECT_EQ(CurrentHost(), c.currentHost);
        // No box, and the engine was left alone.
        PumpPending();
        EXPECT_TRUE(App().boxes.empty());
        EXPECT_EQ(ControlText(form, IDC_STATIC_STATUS), "PLEASE START ME");
    }
}

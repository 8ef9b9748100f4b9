// How the program looks wherever it runs. Every text of the form and of the dialogs fits its control:
// measured with DrawText in the control's own font and with the control's own wrapping, against the
// room the control gives it. The test command runs this at 96 DPI and again at 144 DPI (150 %), where
// fonts and dialog units both grow and rounding can cut a label that fitted before. The icons come in
// the sizes the system asks for, and the manifest gives the controls the current visual style.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/resource.h"

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// One of the program's dialog templates, created hidden and modeless inside a hidden parent (the
// form's template is a child window).
class HiddenDialog {
public:
    explicit HiddenDialog(int templateId)
        : m_hParent(
              ::CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)),
          m_hDialog(::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), m_hParent,
                                         QuietDialogProc, 0))
    {
    }
    HiddenDialog(const HiddenDialog&) = delete;
    HiddenDialog& operator=(const HiddenDialog&) = delete;
    ~HiddenDialog()
    {
        if (m_hDialog)
            ::DestroyWindow(m_hDialog);
        ::DestroyWindow(m_hParent);
    }
    HWND Get() const { return m_hDialog; }

private:
    HWND m_hParent;
    HWND m_hDialog;
};

// A device context of a control with the control's font selected, given back on destruction.
class ControlDC {
public:
    explicit ControlDC(HWND control) : m_hControl(control), m_hDC(::GetDC(control))
    {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
        m_hOldFont = ::SelectObject(m_hDC, font ? font : ::GetStockObject(SYSTEM_FONT));
    }
    ControlDC(const ControlDC&) = delete;
    ControlDC& operator=(const ControlDC&) = delete;
    ~ControlDC()
    {
        ::SelectObject(m_hDC, m_hOldFont);
        ::ReleaseDC(m_hControl, m_hDC);
    }
    HDC Get() const { return m_hDC; }

private:
    HWND m_hControl;
    HDC m_hDC;
    HGDIOBJ m_hOldFont;
};

// How a control lays out its text: DrawText flags and the part of its client area the text may use.
struct TextLayout {
    bool isText = false;
    UINT flags = 0;
    SIZE room = {};
};

TextLayout LayoutOf(HWND control, HDC dc)
{
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof className);
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    RECT client;
    ::GetClientRect(control, &client);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);

    TextLayout layout;
    layout.room = {client.right, client.bottom};
    if (lstrcmpiA(className, "Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        layout.isText = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
                        type == SS_LEFTNOWORDWRAP;
        const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        layout.flags = DT_EXPANDTABS | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
        if (style & SS_NOPREFIX)
            layout.flags |= DT_NOPREFIX;
        return layout;
    }
    if (lstrcmpiA(className, "Button") != 0)
        return layout;
    layout.isText = true;
    layout.flags = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        // Inside the raised edge and the focus rectangle.
        layout.room.cx -= 2 * (::GetSystemMetrics(SM_CXEDGE) + 1);
        layout.room.cy -= 2 * (::GetSystemMetrics(SM_CYEDGE) + 1);
        break;
    case BS_GROUPBOX:
        // The caption sits in the top edge, set in from both corners.
        layout.room.cx -= 2 * metrics.tmAveCharWidth;
        break;
    default:
        // Check boxes and radio buttons: the box, then a gap, then the text.
        layout.room.cx -= ::GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;
        break;
    }
    return layout;
}

// Describes every clip of `text` in `control`; empty when the text fits.
std::string ClipOf(HWND control, const std::string& text)
{
    ControlDC dc(control);
    const TextLayout layout = LayoutOf(control, dc.Get());
    if (!layout.isText)
        return std::string();
    RECT needed = {0, 0, layout.room.cx, layout.room.cy};
    ::DrawTextA(dc.Get(), text.c_str(), -1, &needed, layout.flags | DT_CALCRECT);
    if (needed.right <= layout.room.cx && needed.bottom <= layout.room.cy)
        return std::string();
    std::ostringstream clip;
    clip << "control " << ::GetDlgCtrlID(control) << " \"" << text << "\" needs " << needed.right << " x "
         << needed.bottom << " px, has " << layout.room.cx << " x " << layout.room.cy << " px\n";
    return clip.str();
}

struct RuntimeTexts {
    int templateId;
    int controlId;
    std::vector<std::string> texts;
};

// The texts the program puts into controls after they are created; for numbers, the widest that occur.
const RuntimeTexts kRuntimeTexts[] = {
    {IDD_PRODLE_FORM,
     IDC_STATIC_STATUS,
     {"PLEASE START ME", "Starting Connection", "Getting Local IP Address", "Determining Local IP Address",
      "Validating Domain Name", "NOT RUNNING", "Connection made OK", "Last connection failed",
      "Prodle was sent", "Prodle completed at 00:00:00"}},
    {IDD_PRODLE_FORM, IDC_STATIC_COUNTDOWN, {"60:30", "00:00"}},
    {IDD_ABOUTBOX,
     IDC_STATIC_IP_ADDRESS,
     {"no address yet", "255.255.255.255", "2888:8888:8888:8888:\r\n8888:8888:8888:8888",
      "2ddd:dddd:dddd:dddd:\r\ndddd:dddd:dddd:dddd"}},
    {IDD_ABOUTBOX, IDC_STATIC_TIME_SINCE, {"119 seconds", "71582 minutes"}},
};

int ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

// The DPI this run is meant for: PRODLE_EXPECTED_DPI, which the test command's 144 DPI run sets; else 96.
int ExpectedDpi()
{
    const char* dpi = std::getenv("PRODLE_EXPECTED_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

class TextFit : public testing::TestWithParam<int> {};

TEST_P(TextFit, EveryTextOfTheTemplateAndEveryTextPutInLaterFitsItsControl)
{
    // A 144 DPI run that the screen does not follow would only measure the 96 DPI layout again.
    ASSERT_EQ(ScreenDpi(), ExpectedDpi()) << "the screen is not at the DPI this run is for";
    HiddenDialog dialog(GetParam());
    ASSERT_NE(dialog.Get(), nullptr);
    std::string clips;
    for (HWND control = ::GetWindow(dialog.Get(), GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        char text[256] = {};
        ::GetWindowTextA(control, text, sizeof text);
        clips += ClipOf(control, text);
        for (const RuntimeTexts& later : kRuntimeTexts) {
            if (later.templateId == GetParam() && later.controlId == ::GetDlgCtrlID(control)) {
                for (const std::string& laterText : later.texts)
                    clips += ClipOf(control, laterText);
            }
        }
    }
    EXPECT_EQ(clips, "") << "template " << GetParam() << " at " << ScreenDpi() << " DPI";
}

// Windows names an edit box, a combo box or a list for screen readers by the static text right before
// it in the template (its previous sibling); without one, a screen reader announces a nameless box.
TEST_P(TextFit, EveryBoxAndListComesRightAfterItsLabel)
{
    HiddenDialog dialog(GetParam());
    ASSERT_NE(dialog.Get(), nullptr);
    std::string unnamed;
    for (HWND control = ::GetWindow(dialog.Get(), GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        char className[32] = {};
        ::GetClassNameA(control, className, sizeof className);
        if (lstrcmpiA(className, "Edit") != 0 && lstrcmpiA(className, "ComboBox") != 0 &&
            lstrcmpiA(className, "ListBox") != 0)
            continue;
        HWND label = ::GetWindow(control, GW_HWNDPREV);
        char labelClass[32] = {}, text[256] = {};
        if (label) {
            ::GetClassNameA(label, labelClass, sizeof labelClass);
            ::GetWindowTextA(label, text, sizeof text);
        }
        if (lstrcmpiA(labelClass, "Static") != 0 || text[0] == '\0')
            unnamed += std::string(className) + " " + std::to_string(::GetDlgCtrlID(control)) + " follows " +
                       (label ? std::string(labelClass) + " \"" + text + "\"" : "nothing") + "\n";
    }
    EXPECT_EQ(unnamed, "") << "template " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(FormAndDialogs, TextFit,
                         testing::Values(IDD_PRODLE_FORM, IDD_ABOUTBOX, IDD_EDIT_NAMES, IDD_OPTIONS),
                         [](const testing::TestParamInfo<int>& info) {
                             switch (info.param) {
                             case IDD_PRODLE_FORM:
                                 return std::string("Form");
                             case IDD_ABOUTBOX:
                                 return std::string("About");
                             case IDD_EDIT_NAMES:
                                 return std::string("EditNames");
                             default:
                                 return std::string("Options");
                             }
                         });

// The width of the image that the icon group holds for exactly this size, or 0.
int ExactImageWidth(int iconId, int size)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(iconId), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    if (!group)
        return 0;
    auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(module, group)));
    const int imageId = ::LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = ::FindResourceA(module, MAKEINTRESOURCEA(imageId), MAKEINTRESOURCEA(3));  // RT_ICON
    if (!image)
        return 0;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, image)));
    return header->biWidth;
}

// Windows takes the image closest to the size it needs and stretches it: the small icons of 100, 125
// and 150 % (16, 20, 24 px) and the large ones of 100 and 150 % (32, 48 px) must be drawn, not stretched.
TEST(Icons, EveryIconHasAnImageForEachSizeTheSystemAsksFor)
{
    for (int icon : {IDI_RUNNING, IDI_DOCUMENT, IDI_STOPPED, IDI_IN_FLIGHT}) {
        for (int size : {16, 20, 24, 32, 48})
            EXPECT_EQ(ExactImageWidth(icon, size), size) << "icon " << icon;
    }
}

// The manifest (linked into this test program as into prodle.exe) brings common controls 6, whose
// buttons answer the ideal-size question that the older ones do not know.
TEST(Manifest, TheControlsAreThoseOfCommonControlsSix)
{
    HiddenDialog options(IDD_OPTIONS);
    ASSERT_NE(options.Get(), nullptr);
    SIZE ideal = {};
    EXPECT_TRUE(::SendMessageA(::GetDlgItem(options.Get(), IDOK), BCM_GETIDEALSIZE, 0,
                               reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_GT(ideal.cx, 0);
}

}  // namespace

#include "support/form.h"

std::string ControlText(HWND window, int id)
{
    char text[1024] = {};
    ::GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

void SetControlText(HWND window, int id, const std::string& text)
{
    // Typed, over whatever the box held: a combo box's text goes into the edit box inside it.
    const HWND control = ::GetDlgItem(window, id);
    const HWND edit = ::FindWindowExA(control, nullptr, "Edit", nullptr);
    const HWND target = edit ? edit : control;
    ::SendMessageA(target, EM_SETSEL, 0, -1);
    ::SendMessageA(target, WM_CLEAR, 0, 0);
    for (char c : text)
        ::SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 0);
}

bool ControlEnabled(HWND window, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(window, id)) != FALSE;
}

std::vector<std::string> ComboEntries(HWND window, int id)
{
    std::vector<std::string> entries;
    const HWND combo = ::GetDlgItem(window, id);
    const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(static_cast<size_t>(::SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
        ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(text.size() - 1);
        entries.push_back(text);
    }
    return entries;
}

int ComboSelection(HWND window, int id)
{
    return static_cast<int>(::SendDlgItemMessageA(window, id, CB_GETCURSEL, 0, 0));
}

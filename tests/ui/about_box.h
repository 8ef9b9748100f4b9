// Driving the modal About box from a test: open it, act on it while it is up, press OK.
#ifndef PRODLE_TESTS_UI_ABOUT_BOX_H
#define PRODLE_TESTS_UI_ABOUT_BOX_H

#include <windows.h>

#include <functional>
#include <string>

class CStaticLink;

// Runs `open` (which shows the box modally); while the box is up, runs `act` on it, then presses OK.
// Returns how many About boxes came up before `open` returned.
int WithAboutBox(const std::function<void()>& open, const std::function<void(HWND box)>& act);
// The same, opened as the About command does.
int WithAboutBox(const std::function<void(HWND box)>& act);

std::string ItemText(HWND box, int id);
// The link object that has taken over control `id`.
CStaticLink* LinkOf(HWND box, int id);
// A click on a static as its parent hears of it.
void ClickStatic(HWND box, int id);

// What the parent's colouring leaves in a fresh device context of the control: the brush returned,
// the text colour and the background mode.
struct Colouring {
    HBRUSH brush;
    COLORREF text;
    int bkMode;
    bool underlined;
};
Colouring ColouringOf(HWND box, HWND control);

#endif

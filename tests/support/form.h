// Reading and setting the controls of a window of the program, as a user sees and types them.
#ifndef PRODLE_TESTS_SUPPORT_FORM_H
#define PRODLE_TESTS_SUPPORT_FORM_H

#include <windows.h>

#include <string>
#include <vector>

std::string ControlText(HWND window, int id);
// As the user types it (into the edit box of a combo box), so that the window hears of it.
void SetControlText(HWND window, int id, const std::string& text);
bool ControlEnabled(HWND window, int id);
// A combo box's entries, in order, and its selected entry (-1: none).
std::vector<std::string> ComboEntries(HWND window, int id);
int ComboSelection(HWND window, int id);

#endif

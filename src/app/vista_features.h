// What Windows Vista and later offer the program, looked up at run time: Windows XP has none of it,
// and a program that imported it would not start there. Where a function is missing, nothing is done.
#ifndef PRODLE_APP_VISTA_FEATURES_H
#define PRODLE_APP_VISTA_FEATURES_H

#include <windows.h>

#include <initializer_list>

// Lets these messages from the user's programs that are not elevated through to the window of an
// elevated Prodle (User Interface Privilege Isolation drops them otherwise): for that window alone on
// Windows 7 and later, for the whole process on Vista.
void LetThroughMessageFilter(HWND window, std::initializer_list<UINT> messages);

// Asks Windows to start the program again, with this command line after the program's path, when an
// installer has closed it through the Restart Manager (an update); not after a crash, a hang or a
// restart of the computer.
void RegisterRestartAfterUpdate(const wchar_t* commandLine);

#endif

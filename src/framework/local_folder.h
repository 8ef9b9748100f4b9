// The program's own folder in the user's local application data (%LOCALAPPDATA%\<name>; on Windows XP,
// Local Settings\Application Data\<name> in the profile), where its log and history live. Its path is
// wide text: the profile's folder carries the user's name, which the ANSI code page need not hold.
#ifndef PRODLE_FRAMEWORK_LOCAL_FOLDER_H
#define PRODLE_FRAMEWORK_LOCAL_FOLDER_H

#include <string>

// The folder, made if it was missing; empty when the user has no such folder.
std::wstring OwnLocalFolder(const wchar_t* name);

#endif

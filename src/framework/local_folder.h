// The program's own folder in the user's local application data (%LOCALAPPDATA%\<name>; on Windows XP,
// Local Settings\Application Data\<name> in the profile), where its log and history live.
#ifndef PRODLE_FRAMEWORK_LOCAL_FOLDER_H
#define PRODLE_FRAMEWORK_LOCAL_FOLDER_H

#include <string>

// The folder, made if it was missing; empty when the user has no such folder.
std::string OwnLocalFolder(const char* name);

#endif

#include "framework/local_folder.h"

#include <windows.h>
#include <shlobj.h>

std::string OwnLocalFolder(const char* name)
{
    char folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::string();
    const std::string own = std::string(folder) + "\\" + name;
    ::CreateDirectoryA(own.c_str(), nullptr);
    return own;
}

#include "framework/local_folder.h"

#include <windows.h>
#include <shlobj.h>

std::wstring OwnLocalFolder(const wchar_t* name)
{
    // The ANSI call gives "?" for each letter outside the code page: a path that names no folder.
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                  SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    const std::wstring own = std::wstring(folder) + L"\\" + name;
    ::CreateDirectoryW(own.c_str(), nullptr);
    return own;
}

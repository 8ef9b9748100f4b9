// The one-time import of the legacy INI file into the registry.
#include <cstdio>
#include <memory>

#include "framework/win_app.h"
#include "settings/profile_store.h"
#include "settings/registry_key.h"
#include "settings/rules/ini_line.h"

namespace {

constexpr int kLineBufferSize = 520;

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

CString IniFilePath()
{
    char directory[kLineBufferSize] = {};
    const UINT length = ::GetWindowsDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    return CString(directory) + "\\" + AfxGetApp()->m_strAppName + ".INI";
}

}  // namespace

void CProfileStore::ImportIniFile(HKEY parent)
{
    const CString path = IniFilePath();
    if (path.empty())
        return;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
    if (!file)
        return;

    RegistryKey section;
    char buffer[kLineBufferSize];
    // A line longer than the buffer arrives in pieces; each piece is handled as a line of its own.
    while (std::fgets(buffer, sizeof buffer, file.get())) {
        const IniLine line = ClassifyIniLine(CString(buffer));
        if (line.kind == IniLineKind::Header) {
            section.Reset();
            if (::RegCreateKeyExA(parent, line.section.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, section.Receive(), nullptr) != ERROR_SUCCESS)
                break;  // a section that cannot be made calls the rest of the import off
        } else if (line.kind == IniLineKind::Value && section.IsOpen()) {
            // A value that cannot be stored is skipped; the import goes on.
            ::RegSetValueExA(section.Get(), line.name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(line.text.c_str()),
                             static_cast<DWORD>(line.text.size() + 1));
        }
    }
}

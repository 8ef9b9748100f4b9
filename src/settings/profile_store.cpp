#include "settings/profile_store.h"

#include "framework/win_app.h"
#include "settings/registry_key.h"
#include "settings/rules/stored_int.h"

bool CProfileStore::Create(HKEY* key, DWORD* disposition, HKEY root, CString baseKey)
{
    m_strBaseKey = baseKey;
    m_hRoot = root;
    return ::RegCreateKeyExA(root, m_strBaseKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                             nullptr, key, disposition) == ERROR_SUCCESS;
}

CString CProfileStore::SectionPath(const char* section) const
{
    return m_strBaseKey + "\\" + section;
}

bool CProfileStore::ReadValue(const char* section, const char* name, CString* text) const
{
    RegistryKey key;
    if (::RegOpenKeyExA(m_hRoot, SectionPath(section).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    // One byte beyond the limit stays zero, so data stored without a terminating zero still ends here.
    char buffer[kReadLimit + 1] = {};
    DWORD size = kReadLimit;
    DWORD type = 0;
    const LONG status =
        ::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    key.Close();
    // Only text is a setting: a value of another type (a number, binary data) reads as missing.
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    *text = CString(buffer);
    return true;
}

CString CProfileStore::GetProfileString(const char* section, const char* name, const char* defaultText) const
{
    CString text;
    return ReadValue(section, name, &text) ? text : CString(defaultText);
}

int CProfileStore::GetProfileInt(const char* section, const char* name, int defaultValue) const
{
    CString text;
    int value = 0;
    if (ReadValue(section, name, &text) && ScanStoredInt(text.c_str(), &value))
        return value;
    return defaultValue;
}

bool CProfileStore::WriteProfileString(const char* section, const char* name, const char* text) const
{
    RegistryKey key;
    if (::RegCreateKeyExA(m_hRoot, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    const CString data(text ? text : "");
    return ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool CProfileStore::WriteProfileInt(const char* section, const char* name, int value) const
{
    return WriteProfileString(section, name, FormatString("%d", value).c_str());
}

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
    return (UserRoot() && ReadValueFrom(UserRoot(), section, name, text)) ||
           ReadValueFrom(m_hRoot, section, name, text);
}

bool CProfileStore::ReadValueFrom(HKEY root, const char* section, const char* name, CString* text) const
{
    RegistryKey key;
    if (::RegOpenKeyExA(root, SectionPath(section).c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    // One byte beyond the limit stays zero, so data stored without a terminating zero still ends here.
    char buffer[kReadLimit + 1] = {};
    DWORD size = kReadLimit;
    DWORD type = 0;
    const LONG status =
        ::RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    key.Reset();
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
    const CString data(text ? text : "");
    const LONG error = WriteValueTo(m_hRoot, section, name, data);
    if (error == ERROR_SUCCESS) {
        // The machine-wide value holds again: no older copy of this user's may hide it.
        RegistryKey user;
        if (UserRoot() && ::RegOpenKeyExA(UserRoot(), SectionPath(section).c_str(), 0, KEY_SET_VALUE,
                                          user.Receive()) == ERROR_SUCCESS)
            ::RegDeleteValueA(user.Get(), name);
        return true;
    }
    const bool storedForUser = UserRoot() && WriteValueTo(UserRoot(), section, name, data) == ERROR_SUCCESS;
    m_writeProblems.push_back({name, error, storedForUser});
    return storedForUser;
}

LONG CProfileStore::WriteValueTo(HKEY root, const char* section, const char* name, const CString& text) const
{
    RegistryKey key;
    const LONG created =
        ::RegCreateKeyExA(root, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, key.Receive(), nullptr);
    if (created != ERROR_SUCCESS)
        return created;
    return ::RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1));
}

CString CProfileStore::GetUserString(const char* section, const char* name) const
{
    CString text;
    return ReadValueFrom(OwnRoot(), section, name, &text) ? text : CString();
}

bool CProfileStore::WriteUserString(const char* section, const char* name, const char* text) const
{
    return WriteValueTo(OwnRoot(), section, name, CString(text ? text : "")) == ERROR_SUCCESS;
}

std::vector<CProfileStore::WriteProblem> CProfileStore::TakeWriteProblems() const
{
    std::vector<WriteProblem> problems;
    problems.swap(m_writeProblems);
    return problems;
}

bool CProfileStore::WriteProfileInt(const char* section, const char* name, int value) const
{
    return WriteProfileString(section, name, FormatString("%d", value).c_str());
}

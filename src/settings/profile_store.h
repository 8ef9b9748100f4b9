// The settings store: named text values grouped in sections, each section a subkey of one base key.
// Every value is REG_SZ text, integers included. No key stays open between calls, so the registry is
// the only copy of every setting and a read always sees the latest write.
#ifndef PRODLE_SETTINGS_PROFILE_STORE_H
#define PRODLE_SETTINGS_PROFILE_STORE_H

#include <windows.h>

#include "framework/cstring.h"

class CProfileStore {
public:
    // Reads take at most this many bytes of value data, the terminating zero included.
    static constexpr DWORD kReadLimit = 260;

    CProfileStore() = default;
    CProfileStore(const CProfileStore&) = delete;
    CProfileStore& operator=(const CProfileStore&) = delete;
    virtual ~CProfileStore() = default;

    CString GetBaseKey() const { return m_strBaseKey; }

    // Points the store at root\baseKey (even when the key cannot be made), then creates or opens the key.
    // The handle belongs to the caller. `disposition` tells whether the key was new.
    bool Create(HKEY* key, DWORD* disposition, HKEY root, CString baseKey);

    // Imports the legacy INI file (the application name + ".INI" in the Windows directory) into
    // subkeys of `parent`, one per section. The file is left as it is.
    void ImportIniFile(HKEY parent);

    int GetProfileInt(const char* section, const char* name, int defaultValue) const;
    bool WriteProfileInt(const char* section, const char* name, int value) const;
    CString GetProfileString(const char* section, const char* name, const char* defaultText) const;
    bool WriteProfileString(const char* section, const char* name, const char* text) const;

private:
    CString SectionPath(const char* section) const;
    // The stored text of a value, when it exists and fits the read limit.
    bool ReadValue(const char* section, const char* name, CString* text) const;

    CString m_strBaseKey;
    HKEY m_hRoot = HKEY_LOCAL_MACHINE;
};

// The program's one store, which the application object owns for the whole run.
CProfileStore& Profile();

#endif

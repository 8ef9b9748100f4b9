// The settings store: named text values grouped in sections, each section a subkey of one base key.
// Every value is REG_SZ text, integers included. No key stays open between calls, so the registry is
// the only copy of every setting and a read always sees the latest write.
//
// A machine-wide base key (under HKEY_LOCAL_MACHINE) that this user cannot write (no UAC virtualisation:
// UAC off, a terminal server, a limited user on Windows XP) gives way to the same key under
// HKEY_CURRENT_USER: a write that the machine-wide key refuses goes there, a read looks there first, and
// a later write that the machine-wide key takes removes the user's copy of that value again.
#ifndef PRODLE_SETTINGS_PROFILE_STORE_H
#define PRODLE_SETTINGS_PROFILE_STORE_H

#include <windows.h>

#include <vector>

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

    // A write the base key refused: which value, Windows' reason, and whether this user's key took it.
    struct WriteProblem {
        CString name;
        LONG error;
        bool storedForUser;
    };
    // The writes refused since the last call.
    std::vector<WriteProblem> TakeWriteProblems() const;

    int GetProfileInt(const char* section, const char* name, int defaultValue) const;
    bool WriteProfileInt(const char* section, const char* name, int value) const;
    CString GetProfileString(const char* section, const char* name, const char* defaultText) const;
    bool WriteProfileString(const char* section, const char* name, const char* text) const;

    // A value of this user's own key (under HKEY_CURRENT_USER), whichever key holds the settings: what
    // the program keeps for each user. Empty when missing.
    CString GetUserString(const char* section, const char* name) const;
    bool WriteUserString(const char* section, const char* name, const char* text) const;

private:
    CString SectionPath(const char* section) const;
    // The stored text of a value, when it exists and fits the read limit: this user's copy first.
    bool ReadValue(const char* section, const char* name, CString* text) const;
    bool ReadValueFrom(HKEY root, const char* section, const char* name, CString* text) const;
    LONG WriteValueTo(HKEY root, const char* section, const char* name, const CString& text) const;
    // The root that stands in for a machine-wide one this user cannot write (none otherwise).
    HKEY UserRoot() const { return m_hRoot == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : nullptr; }
    // This user's own root: the one that stands in, or the settings' own.
    HKEY OwnRoot() const { return UserRoot() ? UserRoot() : m_hRoot; }

    CString m_strBaseKey;
    HKEY m_hRoot = HKEY_LOCAL_MACHINE;
    mutable std::vector<WriteProblem> m_writeProblems;
};

// The program's one store, which the application object owns for the whole run.
CProfileStore& Profile();

#endif

// An open registry key, closed when it goes out of scope.
#ifndef PRODLE_SETTINGS_REGISTRY_KEY_H
#define PRODLE_SETTINGS_REGISTRY_KEY_H

#include <windows.h>

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    // For the functions that open a key into an out-parameter.
    HKEY* Receive()
    {
        Close();
        return &m_hKey;
    }
    HKEY Get() const { return m_hKey; }
    bool IsOpen() const { return m_hKey != nullptr; }
    void Close()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }

private:
    HKEY m_hKey = nullptr;
};

#endif

// An open registry key, closed when it goes out of scope.
#ifndef PRODLE_SETTINGS_REGISTRY_KEY_H
#define PRODLE_SETTINGS_REGISTRY_KEY_H

#include <windows.h>

#include "framework/scoped_handle.h"

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Close(Handle key) { ::RegCloseKey(key); }
};
using RegistryKey = ScopedHandle<RegistryKeyTraits>;

#endif

// A kernel object's handle (mutex, event, file mapping, process, token) that closes when it goes out of
// scope.
#ifndef PRODLE_FRAMEWORK_KERNEL_HANDLE_H
#define PRODLE_FRAMEWORK_KERNEL_HANDLE_H

#include <windows.h>

#include "framework/scoped_handle.h"

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
using KernelHandle = ScopedHandle<KernelHandleTraits>;

#endif

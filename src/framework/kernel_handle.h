// A kernel object's handle (mutex, file mapping, process, token) that closes when it goes out of scope.
#ifndef PRODLE_FRAMEWORK_KERNEL_HANDLE_H
#define PRODLE_FRAMEWORK_KERNEL_HANDLE_H

#include <windows.h>

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : m_handle(handle) {}
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;
    ~KernelHandle() { Reset(); }

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // For the functions that open a handle into an out-parameter.
    HANDLE* Receive()
    {
        Reset();
        return &m_handle;
    }
    void Reset(HANDLE handle = nullptr)
    {
        if (m_handle)
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle = nullptr;
};

#endif

// A handle of the system's that is closed when it goes out of scope or is replaced. Each kind says what
// its empty value is and how it is closed:
//   struct Traits { using Handle = ...; static Handle Empty(); static void Close(Handle); };
#ifndef PRODLE_FRAMEWORK_SCOPED_HANDLE_H
#define PRODLE_FRAMEWORK_SCOPED_HANDLE_H

template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : m_handle(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    bool IsOpen() const { return m_handle != Traits::Empty(); }
    explicit operator bool() const { return IsOpen(); }
    // For the functions that open a handle into an out-parameter.
    Handle* Receive()
    {
        Reset();
        return &m_handle;
    }
    void Reset(Handle handle = Traits::Empty())
    {
        if (IsOpen())
            Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Empty();
};

#endif

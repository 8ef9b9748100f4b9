// Per-class message maps: static tables {message or command id -> member function}, each chained to
// its base class's table. Entries are made with the MapMessage / MapCommand helpers, whose overloads
// record the handler's signature so that the dispatcher unpacks wParam and lParam once for each kind.
#ifndef PRODLE_FRAMEWORK_MESSAGE_MAP_H
#define PRODLE_FRAMEWORK_MESSAGE_MAP_H

#include <windows.h>

#include <cstddef>

class CCmdTarget;
using AfxHandler = void (CCmdTarget::*)();

// How a handler wants its arguments.
enum class AfxSig {
    Void,           // void ()
    Timer,          // void (UINT_PTR id)
    WParamLParam,   // LRESULT (WPARAM, LPARAM)
    MinMaxInfo,     // void (MINMAXINFO*)
    Mouse,          // void (UINT flags, POINT point)
    CtlColor,       // HBRUSH (HDC, UINT kind): reflected WM_CTLCOLOR* back to the control
};

// Notifications that a parent hands back to the child control they are about (message reflection).
constexpr UINT kReflectBase = 0xBC00;
// The reflected form of every WM_CTLCOLOR* message (the old single colour message's number).
constexpr UINT kReflectedCtlColor = 0x0019;

struct MessageMapEntry {
    UINT message;   // window message; WM_COMMAND for commands and notifications
    UINT id;        // command or control id (WM_COMMAND only)
    UINT code;      // notification code (WM_COMMAND only; 0 for menu items and button clicks)
    AfxSig sig;
    AfxHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    size_t count;
};

template <class T>
MessageMapEntry MapCommand(UINT id, void (T::*fn)())
{
    return {WM_COMMAND, id, 0, AfxSig::Void, static_cast<AfxHandler>(fn)};
}

// A WM_COMMAND notification that the parent reflects back to the control (for example STN_CLICKED).
template <class T>
MessageMapEntry MapReflectedNotify(UINT code, void (T::*fn)())
{
    return {kReflectBase + WM_COMMAND, 0, code, AfxSig::Void, static_cast<AfxHandler>(fn)};
}

template <class T>
MessageMapEntry MapMessage(UINT message, void (T::*fn)())
{
    return {message, 0, 0, AfxSig::Void, static_cast<AfxHandler>(fn)};
}

template <class T>
MessageMapEntry MapMessage(UINT message, void (T::*fn)(UINT_PTR))
{
    return {message, 0, 0, AfxSig::Timer,
            static_cast<AfxHandler>(reinterpret_cast<void (T::*)()>(fn))};
}

template <class T>
MessageMapEntry MapMessage(UINT message, LRESULT (T::*fn)(WPARAM, LPARAM))
{
    return {message, 0, 0, AfxSig::WParamLParam,
            static_cast<AfxHandler>(reinterpret_cast<void (T::*)()>(fn))};
}

template <class T>
MessageMapEntry MapMessage(UINT message, void (T::*fn)(MINMAXINFO*))
{
    return {message, 0, 0, AfxSig::MinMaxInfo,
            static_cast<AfxHandler>(reinterpret_cast<void (T::*)()>(fn))};
}

template <class T>
MessageMapEntry MapMessage(UINT message, void (T::*fn)(UINT, POINT))
{
    return {message, 0, 0, AfxSig::Mouse,
            static_cast<AfxHandler>(reinterpret_cast<void (T::*)()>(fn))};
}

template <class T>
MessageMapEntry MapMessage(UINT message, HBRUSH (T::*fn)(HDC, UINT))
{
    return {message, 0, 0, AfxSig::CtlColor,
            static_cast<AfxHandler>(reinterpret_cast<void (T::*)()>(fn))};
}

// Builds a class's map from a static entry array and the base class's map.
template <size_t N>
MessageMap MakeMessageMap(const MessageMap* base, const MessageMapEntry (&entries)[N])
{
    return {base, entries, N};
}

#endif

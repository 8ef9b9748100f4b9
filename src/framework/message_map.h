// Per-class message maps: static tables {message or command id -> member function}, each chained to
// its base class's table. An entry is made with MapMessage / MapCommand / MapReflectedNotify, whose
// template argument is the handler itself: each entry gets an invoker of its own, generated for that
// handler, which unpacks wParam and lParam as the handler's signature asks and calls it on the right
// class. A handler whose signature has no unpacking below does not compile.
#ifndef PRODLE_FRAMEWORK_MESSAGE_MAP_H
#define PRODLE_FRAMEWORK_MESSAGE_MAP_H

#include <windows.h>

#include <cstddef>

class CCmdTarget;

// Notifications that a parent hands back to the child control they are about (message reflection).
constexpr UINT kReflectBase = 0xBC00;
// The reflected form of every WM_CTLCOLOR* message (the old single colour message's number).
constexpr UINT kReflectedCtlColor = 0x0019;

struct MessageMapEntry {
    UINT message;  // window message; WM_COMMAND for commands and notifications
    UINT id;       // command or control id (WM_COMMAND only)
    UINT code;     // notification code (WM_COMMAND only; 0 for menu items and button clicks)
    LRESULT (*invoke)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
    size_t count;
};

namespace message_map_detail {

// The handler signatures, and how each one's arguments come out of the message. A new signature is one
// more overload here.
template <class T>
LRESULT Call(T* self, void (T::*handler)(), WPARAM, LPARAM)
{
    (self->*handler)();
    return 0;
}

// WM_TIMER: the timer's id.
template <class T>
LRESULT Call(T* self, void (T::*handler)(UINT_PTR), WPARAM wParam, LPARAM)
{
    (self->*handler)(wParam);
    return 0;
}

// The message's own parameters and result (private messages).
template <class T>
LRESULT Call(T* self, LRESULT (T::*handler)(WPARAM, LPARAM), WPARAM wParam, LPARAM lParam)
{
    return (self->*handler)(wParam, lParam);
}

// WM_GETMINMAXINFO.
template <class T>
LRESULT Call(T* self, void (T::*handler)(MINMAXINFO*), WPARAM, LPARAM lParam)
{
    (self->*handler)(reinterpret_cast<MINMAXINFO*>(lParam));
    return 0;
}

// Mouse messages: the key flags and the pointer in client coordinates.
template <class T>
LRESULT Call(T* self, void (T::*handler)(UINT, POINT), WPARAM wParam, LPARAM lParam)
{
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    (self->*handler)(static_cast<UINT>(wParam), point);
    return 0;
}

// The reflected colour message: the device context and the control-colour kind; the brush is the result.
template <class T>
LRESULT Call(T* self, HBRUSH (T::*handler)(HDC, UINT), WPARAM wParam, LPARAM lParam)
{
    return reinterpret_cast<LRESULT>(
        (self->*handler)(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam)));
}

// The class a member function belongs to.
template <class Member>
struct HandlerClass;
template <class T, class R, class... Arguments>
struct HandlerClass<R (T::*)(Arguments...)> {
    using type = T;
};

// The invoker of one handler: the map's owner is of the handler's class (or derived from it).
template <auto Handler>
LRESULT Invoke(CCmdTarget* target, WPARAM wParam, LPARAM lParam)
{
    using T = typename HandlerClass<decltype(Handler)>::type;
    return Call(static_cast<T*>(target), Handler, wParam, lParam);
}

}  // namespace message_map_detail

template <auto Handler>
constexpr MessageMapEntry MapMessage(UINT message)
{
    return {message, 0, 0, &message_map_detail::Invoke<Handler>};
}

// A command: menu item, accelerator, or button click (BN_CLICKED is 0).
template <auto Handler>
constexpr MessageMapEntry MapCommand(UINT id)
{
    return {WM_COMMAND, id, 0, &message_map_detail::Invoke<Handler>};
}

// A control's WM_COMMAND notification to its parent (for example EN_CHANGE of an edit box).
template <auto Handler>
constexpr MessageMapEntry MapNotify(UINT id, UINT code)
{
    return {WM_COMMAND, id, code, &message_map_detail::Invoke<Handler>};
}

// A WM_COMMAND notification that the parent reflects back to the control (for example STN_CLICKED).
template <auto Handler>
constexpr MessageMapEntry MapReflectedNotify(UINT code)
{
    return {kReflectBase + WM_COMMAND, 0, code, &message_map_detail::Invoke<Handler>};
}

// Builds a class's map from a static entry array and its base class's map.
template <size_t N>
MessageMap MakeMessageMap(const MessageMap* base, const MessageMapEntry (&entries)[N])
{
    return {base, entries, N};
}

#endif

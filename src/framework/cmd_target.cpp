#include "framework/cmd_target.h"

namespace {

bool Matches(const MessageMapEntry& entry, UINT message, WPARAM wParam)
{
    if (entry.message != message)
        return false;
    if (message == WM_COMMAND) {
        // Menu items give code 0, accelerators 1; both are commands.
        const UINT code = HIWORD(wParam) == 1 ? 0 : HIWORD(wParam);
        return entry.id == LOWORD(wParam) && entry.code == code;
    }
    if (message == kReflectBase + WM_COMMAND)
        return entry.code == HIWORD(wParam);
    return true;
}

}  // namespace

bool CCmdTarget::DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (size_t i = 0; i < map->count; ++i) {
            const MessageMapEntry& entry = map->entries[i];
            if (!Matches(entry, message, wParam))
                continue;
            LRESULT value = 0;
            switch (entry.sig) {
            case AfxSig::Void:
                (this->*entry.handler)();
                break;
            case AfxSig::Timer:
                (this->*reinterpret_cast<void (CCmdTarget::*)(UINT_PTR)>(entry.handler))(wParam);
                break;
            case AfxSig::WParamLParam:
                value = (this->*reinterpret_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(
                             entry.handler))(wParam, lParam);
                break;
            case AfxSig::MinMaxInfo:
                (this->*reinterpret_cast<void (CCmdTarget::*)(MINMAXINFO*)>(entry.handler))(
                    reinterpret_cast<MINMAXINFO*>(lParam));
                break;
            case AfxSig::Mouse: {
                const POINT point = {static_cast<short>(LOWORD(lParam)),
                                     static_cast<short>(HIWORD(lParam))};
                (this->*reinterpret_cast<void (CCmdTarget::*)(UINT, POINT)>(entry.handler))(
                    static_cast<UINT>(wParam), point);
                break;
            }
            case AfxSig::CtlColor:
                value = reinterpret_cast<LRESULT>(
                    (this->*reinterpret_cast<HBRUSH (CCmdTarget::*)(HDC, UINT)>(entry.handler))(
                        reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam)));
                break;
            }
            if (result)
                *result = value;
            return true;
        }
    }
    return false;
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code)
{
    return DispatchToMap(WM_COMMAND, MAKEWPARAM(id, code), 0, nullptr);
}

#include "framework/cmd_target.h"

namespace {

bool Matches(const MessageMapEntry& entry, UINT message, WPARAM wParam)
{
    if (entry.message != message)
        return false;
    if (message == WM_COMMAND)
        return entry.id == LOWORD(wParam) && entry.code == HIWORD(wParam);
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
            const LRESULT value = entry.invoke(this, wParam, lParam);
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

#include "support/timer_watch.h"

#include <map>
#include <set>
#include <utility>

namespace {

using TimerKey = std::pair<HWND, UINT_PTR>;
std::set<TimerKey> g_running;
std::map<TimerKey, std::vector<UINT>> g_intervals;

}  // namespace

TimerWatch::TimerWatch()
    : m_arm({"user32.dll"}, "SetTimer", reinterpret_cast<void*>(&Arm)),
      m_disarm({"user32.dll"}, "KillTimer", reinterpret_cast<void*>(&Disarm))
{
    g_running.clear();
    g_intervals.clear();
}

TimerWatch::~TimerWatch() = default;

bool TimerWatch::Running(HWND window, UINT_PTR id) const
{
    return g_running.count({window, id}) != 0;
}

std::vector<UINT> TimerWatch::Intervals(HWND window, UINT_PTR id) const
{
    const auto found = g_intervals.find({window, id});
    return found == g_intervals.end() ? std::vector<UINT>() : found->second;
}

UINT_PTR WINAPI TimerWatch::Arm(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    const UINT_PTR armed =
        RealFunction<decltype(&::SetTimer)>("user32.dll", "SetTimer")(window, id, elapse, proc);
    if (armed && window) {
        g_running.insert({window, id});
        g_intervals[{window, id}].push_back(elapse);
    }
    return armed;
}

BOOL WINAPI TimerWatch::Disarm(HWND window, UINT_PTR id)
{
    g_running.erase({window, id});
    return RealFunction<decltype(&::KillTimer)>("user32.dll", "KillTimer")(window, id);
}

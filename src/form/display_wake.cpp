#include "form/display_wake.h"

#include <utility>

DisplayWake::DisplayWake(bool modernStandby, std::function<uint64_t()> nowMs)
    : m_modernStandby(modernStandby), m_nowMs(std::move(nowMs))
{
}

bool DisplayWake::OnDisplay(bool on)
{
    if (!m_modernStandby)
        return false;
    if (!on) {
        m_offSince = m_nowMs();
        return false;
    }
    const std::optional<uint64_t> offSince = std::exchange(m_offSince, std::nullopt);
    return offSince && m_nowMs() - *offSince >= kStandbyMs;
}

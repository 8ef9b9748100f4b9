#include "engine/rules/countdown.h"

void Countdown::Start(int periodSecs)
{
    m_period = periodSecs;
    m_target = periodSecs;
    m_count = periodSecs - 1;
}

bool Countdown::Tick()
{
    if (++m_count != m_target)
        return false;
    m_count = 0;
    return true;
}

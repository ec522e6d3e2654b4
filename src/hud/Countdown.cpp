#include "hud/Countdown.h"

#include <cmath>

namespace orvane {

void Countdown::start(double seconds)
{
    m_timeRemaining = seconds;
    m_running = true;
}

bool Countdown::tick(bool isHovering)
{
    if (!m_running || isHovering) {
        return false;
    }
    m_timeRemaining += -0.1;
    if (m_timeRemaining <= 0) {
        m_running = false;
        return true;
    }
    return false;
}

double progressFraction(double timeRemaining, double totalSeconds)
{
    const double ratio = timeRemaining / totalSeconds;
    if (std::isnan(ratio) || ratio < 0) {
        return 0.0;
    }
    return std::min(ratio, 1.0);
}

} // namespace orvane

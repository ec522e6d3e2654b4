#include "hud/TickSource.h"

#include "hud/Countdown.h"

#include <QCoreApplication>

namespace orvane {

void TimerTickSource::start(std::function<void()> onTick)
{
    m_timer.disconnect();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(Countdown::tickMilliseconds);
    QObject::connect(&m_timer, &QTimer::timeout, std::move(onTick));
    m_timer.start();
}

void TimerTickSource::stop()
{
    m_timer.stop();
}

TickSourceFactory timerTicks()
{
    return [] { return std::make_unique<TimerTickSource>(); };
}

DelayedCall timerDelayedCall()
{
    return [](int milliseconds, std::function<void()> action) {
        QTimer::singleShot(milliseconds, QCoreApplication::instance(), std::move(action));
    };
}

} // namespace orvane

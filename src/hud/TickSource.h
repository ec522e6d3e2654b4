#pragma once

#include <QTimer>

#include <functional>
#include <memory>

namespace orvane {

// What drives a card's countdown: every tenth of a second in the program, by hand in tests.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual void start(std::function<void()> onTick) = 0;
    virtual void stop() = 0;
};

using TickSourceFactory = std::function<std::unique_ptr<TickSource>()>;

// Runs `action` after `milliseconds` on the main thread.
using DelayedCall = std::function<void(int milliseconds, std::function<void()> action)>;

class TimerTickSource : public TickSource {
public:
    void start(std::function<void()> onTick) override;
    void stop() override;

private:
    QTimer m_timer;
};

TickSourceFactory timerTicks();
DelayedCall timerDelayedCall();

} // namespace orvane

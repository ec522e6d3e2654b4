#pragma once

namespace orvane {

// The card's countdown, free of any timer: one tick is a tenth of a second. The time left is
// lowered by adding -0.1 each tick, so that it runs out exactly when the card's users expect
// (after 40, 71 and 121 ticks for 4, 7 and 12 seconds).
class Countdown {
public:
    static constexpr int tickMilliseconds = 100;

    void start(double seconds);
    // One tick; true when this tick ran the time out. Paused ticks change nothing, and a
    // countdown that has run out stays silent.
    bool tick(bool isHovering);

    double timeRemaining() const { return m_timeRemaining; }
    bool isRunning() const { return m_running; }

private:
    double m_timeRemaining = 0.0;
    bool m_running = false;
};

// The bar's fill as a fraction of its track: the time left over the whole time, 0 when that
// is not a number or negative, at most 1.
double progressFraction(double timeRemaining, double totalSeconds);

} // namespace orvane

#pragma once

#include "hud/TickSource.h"

#include <QList>

namespace orvane::test {

// Ticks and delayed calls that happen only when the test says so.
struct ManualTime {
    struct Ticks : TickSource {
        void start(std::function<void()> tick) override
        {
            onTick = std::move(tick), running = true;
        }
        void stop() override { running = false; }
        bool running = false;
        std::function<void()> onTick;
    };
    struct Pending {
        int milliseconds;
        std::function<void()> action;
    };

    TickSourceFactory ticks()
    {
        return [this] { return std::unique_ptr<Ticks>(sources.emplace_back(new Ticks)); };
    }
    DelayedCall later()
    {
        return [this](int ms, std::function<void()> action) { pending.append({ms, action}); };
    }
    // Ticks of the first card's countdown, while it runs.
    void fire(int count = 1)
    {
        for (int i = 0; i < count && sources.at(0)->running; ++i) {
            sources.at(0)->onTick();
        }
    }
    void runPending()
    {
        for (const auto &call : std::exchange(pending, {})) {
            call.action();
        }
    }

    QList<Pending> pending;
    QList<Ticks *> sources; // owned by their cards
};

} // namespace orvane::test

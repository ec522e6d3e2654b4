#pragma once

#include "hud/TickSource.h"

#include <QList>

#include <functional>
#include <memory>

namespace orvane::test {

// Ticks and delayed calls that happen only when the test says so.
class ManualTime {
public:
    struct Ticks : TickSource {
        void start(std::function<void()> onTick) override
        {
            onTick_ = std::move(onTick), running = true;
        }
        void stop() override { running = false; }
        bool running = false;
        std::function<void()> onTick_;
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
        return [this](int ms, std::function<void()> action) {
            pending.append({ms, std::move(action)});
        };
    }
    // Ticks the n-th card made (0 the first), if its countdown runs.
    void fire(int n, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            if (sources.at(n)->running) {
                sources.at(n)->onTick_();
            }
        }
    }
    void runPending()
    {
        for (const auto &call : std::exchange(pending, {})) {
            call.action();
        }
    }

    QList<Pending> pending;
    // Owned by their cards; a card outlives none of the tests' uses of its source.
    QList<Ticks *> sources;
};

} // namespace orvane::test

#pragma once

#include "hud/TickSource.h"

#include <QList>

#include <functional>
#include <memory>

namespace orvane::test {

// Ticks and delayed calls that happen only when the test says so.
class ManualTime {
public:
    class Ticks : public TickSource {
    public:
        void start(std::function<void()> onTick) override
        {
            m_onTick = std::move(onTick);
            running = true;
        }
        void stop() override { running = false; }
        void fire()
        {
            if (running) {
                m_onTick();
            }
        }
        bool running = false;

    private:
        std::function<void()> m_onTick;
    };

    TickSourceFactory ticks()
    {
        return [this] {
            auto source = std::make_unique<Ticks>();
            m_sources << source.get();
            return source;
        };
    }
    DelayedCall later()
    {
        return [this](int milliseconds, std::function<void()> action) {
            pending.append({milliseconds, std::move(action)});
        };
    }

    // The tick source of the n-th card made (0 the first).
    Ticks *source(int n) const { return m_sources.value(n); }
    Ticks *lastSource() const { return m_sources.isEmpty() ? nullptr : m_sources.last(); }
    void fire(int n, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            source(n)->fire();
        }
    }
    void runPending()
    {
        const auto calls = std::exchange(pending, {});
        for (const auto &call : calls) {
            call.action();
        }
    }

    struct Pending {
        int milliseconds;
        std::function<void()> action;
    };
    QList<Pending> pending;

private:
    // Owned by their cards; a card outlives none of the tests' uses of its source.
    QList<Ticks *> m_sources;
};

} // namespace orvane::test

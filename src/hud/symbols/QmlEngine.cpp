#include "hud/symbols/QmlEngine.h"

#include "hud/symbols/SymbolProvider.h"

#include <QQmlIncubationController>
#include <QTimer>

namespace orvane {

namespace {

class TimedIncubation : public QObject, public QQmlIncubationController {
public:
    TimedIncubation()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] { incubateFor(sliceMs); });
    }

protected:
    void incubatingObjectCountChanged(int count) override
    {
        if (count > 0) {
            m_timer.start();
        } else {
            m_timer.stop();
        }
    }

private:
    static constexpr int sliceMs = 5;
    QTimer m_timer;
};

} // namespace

QmlEngine::QmlEngine(QObject *parent)
    : QQmlEngine(parent), m_incubation(std::make_unique<TimedIncubation>())
{
    // Set before any window is made with this engine: a QQuickView puts its own in place
    // only where the engine has none, and its own goes with the window.
    setIncubationController(m_incubation.get());
    symbols::registerImageProvider(*this);
}

QmlEngine::~QmlEngine()
{
    setIncubationController(nullptr);
}

} // namespace orvane

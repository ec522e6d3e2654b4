#pragma once

#include <QQmlEngine>

#include <memory>

class QQmlIncubationController;

namespace orvane {

// The one QML engine everything Orvane draws in QML shares (the card, the preferences): the
// symbols' images are registered on it once, and asynchronous objects are built a few
// milliseconds at a time between other events, so that neither the first card (which loads
// every QML type it uses) nor any later one stalls the main thread.
class QmlEngine : public QQmlEngine {
public:
    explicit QmlEngine(QObject *parent = nullptr);
    ~QmlEngine() override;

private:
    std::unique_ptr<QQmlIncubationController> m_incubation;
};

} // namespace orvane

#pragma once

#include <QObject>

class QSocketNotifier;

namespace orvane {

// Turns SIGTERM, SIGINT and SIGHUP (the end of a session or a terminal) into a Qt signal on
// the main thread, so that an orderly quit can run its steps. One per process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace orvane

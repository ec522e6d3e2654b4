#include "LogCapture.h"

#include <QMutex>
#include <QtGlobal>

namespace orvane::test {

namespace {
QMutex mutex;
QStringList captured;
QStringList others;
QtMessageHandler previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool ours = message.startsWith(QStringLiteral("[Orvane] "));
    {
        QMutexLocker lock(&mutex);
        (ours ? captured : others) << message;
    }
    if (!ours && previous) {
        previous(type, context, message);
    }
}
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&mutex);
    captured.clear();
    others.clear();
    previous = qInstallMessageHandler(handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&mutex);
    return captured;
}

QStringList LogCapture::otherMessages() const
{
    QMutexLocker lock(&mutex);
    return others;
}

} // namespace orvane::test

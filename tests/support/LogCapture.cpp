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
    if (message.startsWith(QStringLiteral("[Orvane] "))) {
        QMutexLocker lock(&mutex);
        captured << message;
        return;
    }
    {
        QMutexLocker lock(&mutex);
        others << message;
    }
    if (previous) {
        previous(type, context, message);
    }
}
} // namespace

LogCapture::LogCapture()
{
    clear();
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

void LogCapture::clear()
{
    QMutexLocker lock(&mutex);
    captured.clear();
    others.clear();
}

} // namespace orvane::test
